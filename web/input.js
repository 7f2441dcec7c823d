// What plays besides the keyboard, which is the host's: touch on the page
// and its buttons, and a gamepad's button that starts the game.
'use strict';
/* global layout, page */

(function() {
  // A finger on a button is that button's key; anywhere else on a touch
  // screen (on the desktop, on the picture) it is the one button, Z. Down
  // when it touches, up when the last finger on that key lifts: the game sees
  // it held as a key is, in every frame that samples while it is down.
  function touchKey(code, button) {
    var fingers = new Set();
    function lift(e) {
      if (!fingers.delete(e.pointerId) || fingers.size) return;
      if (button) button.classList.remove('held');
      if (Module.setKey) Module.setKey(code, false);
    }
    // The window hears a finger lifted wherever it has wandered.
    window.addEventListener('pointerup', lift);
    window.addEventListener('pointercancel', lift);
    return function(e) {
      e.preventDefault();
      fingers.add(e.pointerId);
      if (button) button.classList.add('held');
      if (Module.setKey) Module.setKey(code, true);
    };
  }
  document.querySelectorAll('.pad button').forEach(function(b) {
    b.addEventListener('pointerdown', touchKey(b.dataset.key, b));
  });
  var oneButton = touchKey('KeyZ', null);
  window.addEventListener('pointerdown', function(e) {
    if (layout.oneButton(e.target)) oneButton(e);
  });
  // A long press would open a menu and cancel the finger.
  window.addEventListener('contextmenu', function(e) {
    if (layout.oneButton(e.target) || e.target.closest('.pad')) e.preventDefault();
  });

  // Browsers show a gamepad to a page only once one of its buttons has been
  // pressed there; in the game, emscripten's SDL reads it.
  function watchGamepads() {
    if (page.state() != 'ready') return;
    var pads = navigator.getGamepads ? Array.from(navigator.getGamepads()) : [];
    if (pads.some(function(pad) { return pad && pad.buttons.some(function(b) { return b.pressed; }); })) page.start();
    else requestAnimationFrame(watchGamepads);
  }
  document.addEventListener('gamestate', function(e) {
    if (e.detail == 'ready') requestAnimationFrame(watchGamepads);
  });
})();
