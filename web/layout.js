// The picture's size and where the controls go. On a touch screen the page
// shows its own controls: under the picture when the phone stands, beside it
// when it lies on its side. A first touch makes any screen a touch screen
// (a 'touchscreen' event on the document).
'use strict';

// eslint-disable-next-line no-unused-vars
var layout = (function() {
  var touchScreen = matchMedia('(pointer: coarse)').matches;

  // The largest whole number of device pixels per game pixel that fits
  // beside the title, the help and the controls: every game pixel the same
  // size.
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
    Module.canvas.style.transform = 'scale(' + factor / dpr + ')';
  }

  window.addEventListener('pointerdown', function(e) {
    if (e.pointerType != 'touch' || touchScreen) return;
    touchScreen = true;
    fit();
    document.dispatchEvent(new Event('touchscreen'));
  });
  window.addEventListener('resize', fit);
  fit();
  return { fit: fit, touchScreen: function() { return touchScreen; } };
})();
