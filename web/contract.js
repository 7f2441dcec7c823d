// What the page and the game's module give each other. Everything passes
// through `Module`, and every member of it is declared here: who gives it,
// and from when it may be used. The page's scripts (web/): page.js,
// layout.js, input.js, sound_unlock.js, lifecycle.js, share.js,
// one_game.js. The module's: src/platform/host_web.js, lifecycle_web.js,
// files_web.js and records_web.js there, and src/sound/mixer_web.js.
// Members given later start as null here.
'use strict';

// eslint-disable-next-line no-unused-vars
var Module = {
  // The page's, read by emscripten's runtime as the module loads.
  canvas: document.getElementById('screen'),
  noInitialRun: true,          // the page starts the game (callMain) after a gesture
  doNotCaptureKeyboard: true,  // the host reads the keys itself
  noImageDecoding: true,       // and decodes its pictures and sounds itself
  noAudioDecoding: true,
  onRuntimeInitialized: null,  // page.js: the module is ready to start
  onAbort: null,               // page.js: the game stopped with an error
  preRun: [],                  // the module's own scripts each add a step

  // The page's, called by the module.
  playsHere: null,       // one_game.js: a promise; the records are read once it settles (none: at once)
  onFilesArrived: null,  // lifecycle.js, (): every pack has come or failed
  onStorageLost: null,   // page.js, (): the browser keeps no records, told once
  onScoreShown: null,    // share.js, (score): the result shows a score
  onGameEnded: null,     // page.js, (code): the game has returned

  // The module's, for the page; there once the module has loaded unless said.
  callMain: null,       // emscripten: (args) starts the game, once
  FS: null,             // emscripten: the game's files (the tests read save/)
  sound: null,          // mixer_web.js: start() within a gesture, resume(), suspend() -> it was running
  siteFiles: null,      // files_web.js: arrival(path) -> null when there or never coming, else a promise
  storeRecords: null,   // records_web.js, (): stores save/ and replay/ (the host, after each save)
  recordsStored: null,  // records_web.js, () -> a promise settled once all saved so far is stored
  lifecycle: null,      // lifecycle_web.js: the host's sleep(us), takeSaveRequest(), resting(),
                        // gameEnded(); the page's stop() -> a promise settled once saved and still
  setKey: null,         // host_web.js, (code, down) -> known: a key by its DOM code, held or let go;
                        // there once the game first reads the keys
  frames: 0,            // host_web.js: frames shown so far

  // Test hooks, for the tests and benchmarks only.
  frameTimes: null,     // the page sets anything with push(time): the host pushes each frame's time
  audioContext: null    // mixer_web.js: its AudioContext, to read its state
};
