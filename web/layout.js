// The picture's size and where the controls go. On a touch screen the page
// shows its own controls where thumbs reach them: at the bottom when the
// phone stands, low at both sides when it lies on its side. A first touch
// makes any screen a touch screen (a 'touchscreen' event on the document).
'use strict';

// eslint-disable-next-line no-unused-vars
var layout = (function() {
  var touchScreen = matchMedia('(pointer: coarse)').matches;

  // The largest whole number of device pixels per game pixel that fits
  // within the page's padding (clear of a notch and rounded corners) beside
  // the title, the help and the controls: every game pixel the same size.
  function fit() {
    var body = document.body, help = document.getElementById('keys');
    var moves = document.getElementById('moves'), others = document.getElementById('others');
    if (touchScreen) body.dataset.layout = window.innerWidth > window.innerHeight ? 'beside' : 'under';
    var style = getComputedStyle(body), gap = parseFloat(style.rowGap) || 0;
    var wide = parseFloat(style.paddingLeft) + parseFloat(style.paddingRight);
    var tall = parseFloat(style.paddingTop) + parseFloat(style.paddingBottom);
    var above = help.offsetHeight + document.querySelector('h1').offsetHeight;
    if (body.dataset.layout == 'beside') {
      wide += 2 * (Math.max(moves.offsetWidth, others.offsetWidth, help.offsetWidth) + gap);
    } else if (body.dataset.layout == 'under') {
      tall += above + moves.offsetHeight + 3 * gap;
    } else {
      tall += above + 24;
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

  // Where a pointer is the one button: the picture, and on a touch screen
  // every part of the page but its controls, so a thumb finds it anywhere.
  function oneButton(target) {
    if (target.closest('button')) return false;
    return touchScreen || target == Module.canvas;
  }

  window.addEventListener('pointerdown', function(e) {
    if (e.pointerType != 'touch' || touchScreen) return;
    touchScreen = true;
    fit();
    document.dispatchEvent(new Event('touchscreen'));
  });
  window.addEventListener('resize', fit);
  fit();
  return { fit: fit, oneButton: oneButton, touchScreen: function() { return touchScreen; } };
})();
