// Browsers let sound start only in a click, key press or tap. The one that
// starts the game has the mixer make its sound; later ones resume sound the
// browser still holds back (a gamepad's button is no such gesture, and a tap
// counts once the finger lifts).
'use strict';

document.addEventListener('gamestate', function(e) {
  if (e.detail == 'playing') Module.sound.start();
});
['keydown', 'pointerup', 'touchend'].forEach(function(type) {
  window.addEventListener(type, function() {
    if (Module.sound) Module.sound.resume();
  });
});
