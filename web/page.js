// The page around the game: it scales the canvas, waits for a click or a
// key (browsers only start sound after one), starts the game and offers
// another one when it has ended. document.body.dataset.state tells where it
// is: loading, ready, playing, ended or failed.
'use strict';

var canvas = document.getElementById('screen');
var message = document.getElementById('message');
var text = document.getElementById('text');
var again = document.getElementById('again');

function show(state, words) {
  document.body.dataset.state = state;
  text.textContent = words;
  message.hidden = state == 'playing';
  again.hidden = state != 'ended';
}

// The largest whole factor that fits beside the title and the key line.
function fit() {
  var room = document.getElementById('keys').offsetHeight + document.querySelector('h1').offsetHeight + 24;
  var factor = Math.max(1, Math.floor(Math.min(window.innerWidth / 320, (window.innerHeight - room) / 240)));
  canvas.style.width = 320 * factor + 'px';
  canvas.style.height = 240 * factor + 'px';
}
window.addEventListener('resize', fit);
fit();

var Module = {
  canvas: canvas,
  noInitialRun: true,          // started by start() below
  doNotCaptureKeyboard: true,  // the game reads the keys itself
  noImageDecoding: true,       // it decodes its pictures and sounds itself too
  noAudioDecoding: true,
  onRuntimeInitialized: function() {
    show('ready', 'Click or press a key to play');
    window.addEventListener('keydown', start);
    message.addEventListener('click', start);
    requestAnimationFrame(watchGamepads);
  },
  onGameEnded: function() {
    Module.recordsStored().then(function() { show('ended', 'The game has ended.'); });
  },
  onAbort: function() {
    show('failed', 'The game stopped with an error.');
  }
};

// A gamepad's button starts the game as well: browsers show a gamepad to a
// page only once one of its buttons has been pressed there.
function watchGamepads() {
  if (document.body.dataset.state != 'ready') return;
  var pads = navigator.getGamepads ? Array.from(navigator.getGamepads()) : [];
  if (pads.some(function(pad) { return pad && pad.buttons.some(function(b) { return b.pressed; }); })) start();
  else requestAnimationFrame(watchGamepads);
}

// A button is no gesture that lets sound start: the next key or click does.
function resumeSound() {
  if (Module.audioContext && Module.audioContext.state == 'suspended') Module.audioContext.resume();
}
window.addEventListener('keydown', resumeSound);
window.addEventListener('click', resumeSound);

function start(event) {
  if (document.body.dataset.state != 'ready') return;
  if (event) event.preventDefault();
  window.removeEventListener('keydown', start);
  message.removeEventListener('click', start);
  var AudioContext = window.AudioContext || window.webkitAudioContext;
  if (AudioContext) Module.audioContext = new AudioContext();
  show('playing', '');
  Module.callMain([]);
}

again.addEventListener('click', function() { location.reload(); });
show('loading', 'Loading…');
