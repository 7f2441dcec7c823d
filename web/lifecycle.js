// The page as an app that lasts: the screen stays awake through a game, the
// saves ask to be kept, and the site keeps itself for play without a network.
// (Saving when the page is hidden or left is the module's: lifecycle_web.js.)
'use strict';
/* global page */

(function() {
  // The browser drops the lock when the page is hidden, so it is asked again.
  var wakeLock = null;
  function keepAwake() {
    var playing = page.state() == 'playing' && document.visibilityState == 'visible';
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
  document.addEventListener('gamestate', function(e) {
    keepAwake();
    if (e.detail != 'playing' || askedToKeep) return;
    askedToKeep = true;
    if (navigator.storage && navigator.storage.persist) navigator.storage.persist().catch(function() {});
  });

  // The service worker keeps the whole site: once the game has all its
  // files, so its own fetches wait their turn.
  Module.onFilesArrived = function() {
    // Some engines name it but leave it undefined outside a secure address.
    if (!navigator.serviceWorker) return;
    navigator.serviceWorker.register('sw.js').catch(function(e) {
      console.warn('The game will not play offline: ' + e.message);
    });
  };
})();
