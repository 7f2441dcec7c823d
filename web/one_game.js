// One game per browser. Two pages of the site playing side by side (a second
// tab, a window, the installed app beside a tab) would each store their own
// records over the other's. So the page that plays holds a lock; any other
// reads no records and says the game is open elsewhere. Its "Play here" asks
// the one that plays to save, store and let go, and reads the records only
// then. A browser without locks or channels plays in every page, as before.
'use strict';
/* global page */

(function() {
  if (!navigator.locks || typeof BroadcastChannel != 'function') return;
  var name = 'tavikoro-game';
  var channel = new BroadcastChannel(name);
  var granted;        // lets the records be read (records_web.js)
  var letGo = null;   // while this page plays: ends its hold on the lock
  var asked = false;  // another page asked while this one was still loading
  var stopped = false;
  Module.playsHere = new Promise(function(resolve) { granted = resolve; });

  function hold() {
    granted();
    return new Promise(function(done) { letGo = done; });
  }
  function takeOver() {
    page.show('loading', 'Waiting for the other game to save…');
    channel.postMessage('take');
    navigator.locks.request(name, hold).catch(granted);
  }
  function elsewhere(words) {
    page.show('elsewhere', words);
    document.getElementById('play-here').focus();
  }

  // Saved and stored first, so the page that takes over reads all of it.
  function giveUp() {
    var state = page.state();
    if (state == 'loading') return (asked = true);
    var release = letGo;
    letGo = null;  // asked once is enough
    var still = state == 'playing' ? Module.lifecycle.stop() : Promise.resolve();
    still.then(Module.recordsStored).then(function() {
      stopped = true;
      release();
      elsewhere('The game is now played in another tab or window.');
    });
  }
  channel.onmessage = function(e) {
    if (e.data == 'take' && letGo) giveUp();
  };
  document.addEventListener('gamestate', function(e) {
    if (asked && letGo && e.detail != 'loading') {
      asked = false;
      giveUp();
    }
  });

  // A stopped game cannot go on from the other page's records: it starts
  // afresh and takes over as it loads. (Without sessionStorage, it loads
  // and waits like any other page.)
  document.getElementById('play-here').addEventListener('click', function() {
    if (!stopped) return takeOver();
    try {
      sessionStorage.setItem(name, 'take');
    } catch (e) {
    }
    location.reload();
  });
  try {
    if (sessionStorage.getItem(name)) {
      sessionStorage.removeItem(name);
      return takeOver();
    }
  } catch (e) {
  }
  // A page of the site that has just gone (a reload, "Play again") may hold
  // the lock a moment longer. Locks refused outright (storage blocked):
  // this page plays, as without them.
  var patience = new AbortController();
  setTimeout(function() { patience.abort(); }, 1000);
  navigator.locks.request(name, { signal: patience.signal }, hold).catch(function(e) {
    if (e.name != 'AbortError') return granted();
    elsewhere('The game is open in another tab or window.');
  });
})();
