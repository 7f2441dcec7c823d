// What plays besides the keyboard, which is the host's: the picture and the
// buttons beside it by touch, and a gamepad's button that starts the game.
'use strict';
/* global page */

(function() {
  // A finger on the picture is the one button (Z), on a button that button's
  // key: down when it touches, up when the last finger lifts. The game sees
  // it held as a key is, in every frame that samples while it is down.
  function touchKey(element, code) {
    var fingers = new Set();
    element.addEventListener('pointerdown', function(e) {
      e.preventDefault();
      element.setPointerCapture(e.pointerId);
      fingers.add(e.pointerId);
      element.classList.add('held');
      if (Module.setKey) Module.setKey(code, true);
    });
    function lift(e) {
      if (!fingers.delete(e.pointerId) || fingers.size) return;
      element.classList.remove('held');
      if (Module.setKey) Module.setKey(code, false);
    }
    element.addEventListener('pointerup', lift);
    element.addEventListener('pointercancel', lift);
    // A long press would open a menu and cancel the finger.
    element.addEventListener('contextmenu', function(e) { e.preventDefault(); });
  }
  touchKey(Module.canvas, 'KeyZ');
  document.querySelectorAll('.pad button').forEach(function(b) { touchKey(b, b.dataset.key); });

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
