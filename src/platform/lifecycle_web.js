// The page's life around the game: shown, hidden, going away, taken over by
// another page of the site. A page may be closed, reloaded or discarded by a
// phone without any shutdown, so the game saves whenever its page is hidden
// or left, and runs no frames while hidden. Taken over, it saves once more
// and runs no frames again: the other page plays from what it saved.
// The page only asks and wakes the game from its sleep; the game saves and
// waits in its own turn, between frames (host_web.cpp), so no save ever
// lands in the middle of a frame.
Module['lifecycle'] = (function() {
  var life = {
    saveWanted: false,
    wake: null,            // ends the game's current sleep early
    soundSuspended: false, // sound we stopped when the page was hidden
    stopped: false,        // taken over: no frames and no saves any more
    still: null,           // settles stop() once the game has saved
    ended: false           // the game has returned
  };
  function settleStill() {
    var s = life.still;
    life.still = null;
    if (s) s();
  }
  function wake() {
    var w = life.wake;
    life.wake = null;
    if (w) w();
  }
  function silence() {
    if (Module['sound'] && Module['sound'].suspend()) life.soundSuspended = true;
  }
  // Once stopped, a save would store this page's old records over those of
  // the page that plays now.
  function leaving() {
    if (!life.stopped) life.saveWanted = true;
    silence();
    wake();
  }
  document.addEventListener('visibilitychange', function() {
    if (document.hidden) return leaving();
    // Only sound that ran before: a context still waiting for a gesture
    // would only complain.
    if (life.soundSuspended && !life.stopped) Module['sound'].resume();
    life.soundSuspended = false;
    wake();
  });
  window.addEventListener('pagehide', leaving);

  // Settles `us` microseconds from now, rounded up to the timer's whole
  // milliseconds so a frame is never shorter than asked, or as soon as the
  // page is hidden, shown or left. A plain timer: no polling while waiting.
  // No time at all is one turn of the page's messages, which lets it draw
  // and take keys: a zero timer would wait 4 ms once timers nest, as every
  // frame's does. Either is cut short alike: a page being closed runs no
  // further turn, so the game must save within the event that says so.
  var turn = new MessageChannel(), turns = 0;
  life.sleep = function(us) {
    return new Promise(function(done) {
      var timer = null, mine = ++turns, settled = false;
      if (us > 0) {
        timer = setTimeout(settle, Math.ceil(us / 1000));
      } else {
        turn.port1.onmessage = function(e) {
          if (e.data === mine) settle();
        };
        turn.port2.postMessage(mine);
      }
      // Once only: a turn cut short still comes, when a later sleep may
      // already be waiting to be woken.
      function settle() {
        if (settled) return;
        settled = true;
        clearTimeout(timer);
        if (life.wake === settle) life.wake = null;
        done();
      }
      life.wake = settle;
    });
  };
  life.takeSaveRequest = function() {
    var wanted = life.saveWanted;
    life.saveWanted = false;
    return wanted;
  };
  // Asked between frames, after any save: true while no frame may run.
  life.resting = function() {
    settleStill();
    return document.hidden || life.stopped;
  };
  // Another page takes the game over: settles once the game has saved what
  // it has and runs no more frames (or has ended anyway).
  life.stop = function() {
    life.stopped = true;
    life.saveWanted = true;
    silence();
    var still = life.ended ? Promise.resolve() : new Promise(function(done) { life.still = done; });
    wake();
    return still;
  };
  life.gameEnded = function() {
    life.ended = true;
    settleStill();
  };
  return life;
})();
