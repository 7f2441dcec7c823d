// The page around the game: it scales the canvas, waits for a click, tap or
// key (browsers only start sound after one), starts the game and offers
// another one when it has ended. document.body.dataset.state tells where it
// is: loading, ready, playing, ended, failed, or elsewhere while another page
// of the site plays (one_game.js).
'use strict';

var canvas = document.getElementById('screen');
var message = document.getElementById('message');
var text = document.getElementById('text');
var again = document.getElementById('again');
var playHere = document.getElementById('play-here');

function show(state, words) {
  document.body.dataset.state = state;
  text.textContent = words;
  message.hidden = state == 'playing';
  again.hidden = state != 'ended';
  playHere.hidden = state != 'elsewhere';
}

// On a touch screen the page shows its own controls and speaks of taps:
// under the picture when the phone stands, beside it when it lies on its
// side. A first touch makes any screen a touch screen.
var touchScreen = matchMedia('(pointer: coarse)').matches;
window.addEventListener('pointerdown', function(e) {
  if (e.pointerType != 'touch' || touchScreen) return;
  touchScreen = true;
  fit();
  if (document.body.dataset.state == 'ready') text.textContent = readyWords();
});

function readyWords() { return touchScreen ? 'Tap to play' : 'Click or press a key to play'; }

// The largest whole number of device pixels per game pixel that fits beside
// the title, the help and the controls: every game pixel the same size.
function fit() {
  var body = document.body, help = document.getElementById('keys');
  var moves = document.getElementById('moves'), others = document.getElementById('others');
  if (touchScreen) body.dataset.layout = window.innerWidth > window.innerHeight ? 'beside' : 'under';
  var wide = 0, tall = help.offsetHeight + document.querySelector('h1').offsetHeight + 24;
  if (body.dataset.layout == 'under') {
    wide = 24;
    tall += moves.offsetHeight + 24;
  }
  if (body.dataset.layout == 'beside') {
    wide = 2 * Math.max(moves.offsetWidth, others.offsetWidth, help.offsetWidth) + 48;
    tall = 24;
  }
  var dpr = window.devicePixelRatio || 1;
  var factor = Math.max(1, Math.floor(Math.min((window.innerWidth - wide) * dpr / 320,
                                               (window.innerHeight - tall) * dpr / 240)));
  // Scaled, not sized: a size such as 1280 / 3 CSS pixels may be rounded
  // to whole CSS pixels, which would make some game pixels narrower.
  var stage = document.getElementById('stage');
  stage.style.width = 320 * factor / dpr + 'px';
  stage.style.height = 240 * factor / dpr + 'px';
  canvas.style.transform = 'scale(' + factor / dpr + ')';
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
    show('ready', readyWords());
    window.addEventListener('keydown', start);
    message.addEventListener('pointerup', start);
    requestAnimationFrame(watchGamepads);
  },
  onGameEnded: function() {
    Module.recordsStored().then(function() { show('ended', 'The game has ended.'); });
  },
  onAbort: function() {
    show('failed', 'The game stopped with an error.');
  },
  onStorageLost: function() {
    document.getElementById('storage-lost').hidden = false;
    fit();
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

// A button is no gesture that lets sound start: the next key or click does,
// and a tap once the finger lifts.
function resumeSound() {
  if (Module.audioContext && Module.audioContext.state == 'suspended') Module.audioContext.resume();
}
['keydown', 'pointerup', 'touchend'].forEach(function(type) { window.addEventListener(type, resumeSound); });

function start(event) {
  if (document.body.dataset.state != 'ready') return;
  if (event) event.preventDefault();
  window.removeEventListener('keydown', start);
  message.removeEventListener('pointerup', start);
  var AudioContext = window.AudioContext || window.webkitAudioContext;
  if (AudioContext) Module.audioContext = new AudioContext();
  show('playing', '');
  Module.callMain([]);
}

again.addEventListener('click', function() { location.reload(); });
show('loading', 'Loading…');
