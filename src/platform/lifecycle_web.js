// The page's life around the game: shown, hidden, going away. A page may be
// closed, reloaded or discarded by a phone without any shutdown, so the game
// saves whenever its page is hidden or left, and runs no frames while hidden.
// The page only asks and wakes the game from its sleep; the game saves and
// waits in its own turn, between frames (host_web.cpp), so no save ever
// lands in the middle of a frame.
Module['lifecycle'] = (function() {
  var life = {
    saveWanted: false,
    wake: null,            // ends the game's current sleep early
    soundSuspended: false  // sound we stopped when the page was hidden
  };
  function wake() {
    var w = life.wake;
    life.wake = null;
    if (w) w();
  }
  function leaving() {
    life.saveWanted = true;
    var audio = Module['audioContext'];
    if (audio && audio.state == 'running') {
      audio.suspend();
      life.soundSuspended = true;
    }
    wake();
  }
  document.addEventListener('visibilitychange', function() {
    if (document.hidden) return leaving();
    // Only sound that ran before: a context still waiting for a gesture
    // would only complain.
    if (life.soundSuspended && Module['audioContext']) Module['audioContext'].resume();
    life.soundSuspended = false;
    wake();
  });
  window.addEventListener('pagehide', leaving);

  // Settles `us` microseconds from now, or as soon as the page is hidden,
  // shown or left. Timers count whole milliseconds and fire late, and a late
  // wake makes the frame late (the frame wait counts from its own end): so
  // the timer wakes a little early, and message turns, which no timer clamp
  // holds up, carry the sleep to its deadline. Even a sleep of 0 lets the
  // page have one turn.
  var channel = new MessageChannel();
  var onTurn = null;
  channel.port1.onmessage = function() {
    if (onTurn) onTurn();
  };
  life.sleep = function(us) {
    var deadline = performance.now() + us / 1000;
    return new Promise(function(done) {
      var timer = 0;
      function settle() {
        clearTimeout(timer);
        onTurn = life.wake = null;
        done();
      }
      function check() {
        var left = deadline - performance.now();
        if (left <= 0) return settle();
        if (left > 2) {
          onTurn = null;
          timer = setTimeout(check, left - 1.5);
        } else {
          onTurn = check;
          channel.port2.postMessage(0);
        }
      }
      life.wake = settle;
      onTurn = check;  // a turn first, then the timer
      channel.port2.postMessage(0);
    });
  };
  life.takeSaveRequest = function() {
    var wanted = life.saveWanted;
    life.saveWanted = false;
    return wanted;
  };
  return life;
})();
