// The page as a phone's app: the picture and the buttons beside it play by
// touch, the screen stays awake through a game, the site keeps itself for
// play without a network once visited, and a result can be shared.
'use strict';

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
touchKey(canvas, 'KeyZ');
document.querySelectorAll('.pad button').forEach(function(b) { touchKey(b, b.dataset.key); });

// The screen stays on while a game is played and the page is seen; the
// browser drops the lock when the page is hidden, so it is asked again.
var wakeLock = null;
function keepAwake() {
  var playing = document.body.dataset.state == 'playing' && document.visibilityState == 'visible';
  if (playing && !wakeLock && navigator.wakeLock) {
    wakeLock = navigator.wakeLock.request('screen').catch(function() { return null; });
  } else if (!playing && wakeLock) {
    wakeLock.then(function(lock) { if (lock) lock.release(); });
    wakeLock = null;
  }
}
document.addEventListener('visibilitychange', keepAwake);

// Once a game starts, the saves ask to be kept when the browser runs short
// of space.
var askedToKeep = false;
new MutationObserver(function() {
  keepAwake();
  if (document.body.dataset.state != 'playing' || askedToKeep) return;
  askedToKeep = true;
  if (navigator.storage && navigator.storage.persist) navigator.storage.persist().catch(function() {});
}).observe(document.body, { attributes: true, attributeFilter: ['data-state'] });

// The service worker keeps the whole site, for play without a network:
// once the game has all its files, so its own fetches wait their turn.
Module.onFilesArrived = function() {
  if (!('serviceWorker' in navigator)) return;
  navigator.serviceWorker.register('sw.js').catch(function(e) {
    console.warn('The game will not play offline: ' + e.message);
  });
};

// A result to share: the host reports the score as the result appears; its
// picture is taken once the result has been drawn. Where the browser shares
// files, the picture goes with the words; elsewhere the words are copied.
var share = document.getElementById('share');
var result = null;
Module.onScoreShown = function(score) {
  var taken = result = { words: 'I split logs for ' + score + ' points in tavikoro: ' +
                                location.origin + location.pathname, picture: null };
  var drawn = Module.frames + 2;
  (function takePicture() {
    if (Module.frames < drawn) return requestAnimationFrame(takePicture);
    canvas.toBlob(function(png) { taken.picture = png; });
  })();
  share.textContent = 'Share ' + score;
  share.classList.remove('unused');
};
share.addEventListener('click', function() {
  if (!result) return;
  var files = result.picture ? [new File([result.picture], 'tavikoro.png', { type: 'image/png' })] : [];
  if (files.length && navigator.canShare && navigator.canShare({ files: files })) {
    navigator.share({ files: files, text: result.words }).catch(function() {});
  } else if (navigator.clipboard) {
    navigator.clipboard.writeText(result.words).then(function() { share.textContent = 'Copied'; },
                                                     function() { share.textContent = 'Not copied'; });
  }
});
