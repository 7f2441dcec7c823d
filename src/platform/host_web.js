// The browser host's side in the page (host_web.cpp calls these): its sleep
// and the page's turn, the keys, the canvas, the files still on their way,
// and what it tells the page. Only members of the page contract
// (web/contract.js) are used. host_sleep and host_await_file unwind the
// game to the browser's event loop: the build names them to Asyncify.
/* global mergeInto, LibraryManager, Asyncify, HEAPU8, HEAPU32, UTF8ToString, HostCanvas */
mergeInto(LibraryManager.library, {
  // The page cuts a sleep short when it is hidden or left (lifecycle_web.js).
  host_sleep: function(us) {
    return Asyncify.handleAsync(function() { return Module.lifecycle.sleep(us); });
  },
  host_take_save_request: function() { return Module.lifecycle.takeSaveRequest(); },
  host_resting: function() { return Module.lifecycle.resting(); },

  // `codes` is the host's table of key codes (null where a key has none),
  // in the order of `held`. Enter with Alt is left to the browser. The
  // game's keys do nothing else on the page (the arrows would scroll it).
  host_listen_to_keys: function(held, codes, count) {
    var names = [];
    for (var k = 0; k < count; k++) {
      var code = HEAPU32[(codes >> 2) + k];
      names.push(code ? UTF8ToString(code) : null);
    }
    Module.setKey = function(code, down) {
      var k = names.indexOf(code);
      if (k < 0) return false;
      HEAPU8[held + k] = down;
      return true;
    };
    function listener(down) {
      return function(e) {
        if (down && e.altKey && e.code.endsWith('Enter')) return;
        if (Module.setKey(e.code, down)) e.preventDefault();
      };
    }
    window.addEventListener('keydown', listener(1));
    window.addEventListener('keyup', listener(0));
    // Keys let go while the page is in the background never report it.
    window.addEventListener('blur', function() { HEAPU8.fill(0, held, held + count); });
  },

  // The canvas keeps one image over our pixels for good: the module's
  // memory never grows, so the image stays valid and each frame is drawn
  // straight from it, without a copy.
  $HostCanvas: { shown: null },
  host_show_frame__deps: ['$HostCanvas'],
  host_show_frame: function(pixels, width, height) {
    var shown = HostCanvas.shown;
    if (!shown) {
      shown = HostCanvas.shown = {
        context: Module.canvas.getContext('2d'),
        image: new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height)
      };
    }
    shown.context.putImageData(shown.image, 0, 0);
    Module.frames = (Module.frames || 0) + 1;
    if (Module.frameTimes) Module.frameTimes.push(performance.now());
  },

  host_file_coming: function(path) { return !!Module.siteFiles.arrival(UTF8ToString(path)); },
  host_await_file: function(path) {
    return Asyncify.handleAsync(function() { return Module.siteFiles.arrival(UTF8ToString(path)); });
  },

  host_chop_scored: function() {
    if (navigator.vibrate) navigator.vibrate(40);
  },
  host_records_written: function() { Module.storeRecords(); },
  host_score_shown: function(score) {
    if (Module.onScoreShown) Module.onScoreShown(score);
  },
  host_game_ended: function(code) {
    Module.lifecycle.gameEnded();
    if (Module.onGameEnded) Module.onGameEnded(code);
  }
});
