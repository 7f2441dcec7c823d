// The page around the game: it waits for a click, tap or key (browsers only
// start sound after one), starts the game and offers another one when it
// has ended. It alone sets document.body.dataset.state, which the style
// reads: loading, ready, playing, ended, failed, or elsewhere while another
// page of the site plays (one_game.js). Each change is a 'gamestate' event
// on the document, for the other scripts.
'use strict';
/* global layout */

// eslint-disable-next-line no-unused-vars
var page = (function() {
  var message = document.getElementById('message');
  var text = document.getElementById('text');
  var again = document.getElementById('again');

  function state() { return document.body.dataset.state; }
  function show(now, words) {
    document.body.dataset.state = now;
    text.textContent = words;
    message.hidden = now == 'playing';
    again.hidden = now != 'ended';
    document.getElementById('play-here').hidden = now != 'elsewhere';
    document.dispatchEvent(new CustomEvent('gamestate', { detail: now }));
  }
  function readyWords() { return layout.touchScreen() ? 'Tap to play' : 'Click or press a key to play'; }
  document.addEventListener('touchscreen', function() {
    if (state() == 'ready') text.textContent = readyWords();
  });

  function start(event) {
    if (state() != 'ready') return;
    if (event) event.preventDefault();
    window.removeEventListener('keydown', start);
    window.removeEventListener('pointerup', tapped);
    show('playing', '');
    Module.callMain([]);
  }

  // The message, or on a touch screen anywhere a finger is the one button.
  function tapped(e) {
    if (message.contains(e.target) || layout.oneButton(e.target)) start(e);
  }

  Module.onRuntimeInitialized = function() {
    show('ready', readyWords());
    window.addEventListener('keydown', start);
    window.addEventListener('pointerup', tapped);
  };
  Module.onGameEnded = function() {
    Module.recordsStored().then(function() { show('ended', 'The game has ended.'); });
  };
  Module.onAbort = function() { show('failed', 'The game stopped with an error.'); };
  Module.onStorageLost = function() {
    document.getElementById('storage-lost').hidden = false;
    layout.fit();
  };

  again.addEventListener('click', function() { location.reload(); });
  show('loading', 'Loading…');
  return { state: state, show: show, start: start };
})();
