// save/ and replay/ live in the browser's IndexedDB: read in before the game
// starts and stored again after every file the game writes there (the
// host's records-written step, host_web.cpp), so a reload keeps the
// settings, the best result and the play time.
//
// IndexedDB stores in the background, and a page that is being closed dies
// before it is done. So the small records of save/ also go, at once, into a
// journal in localStorage, which is written before the page goes, and is
// dropped again once IndexedDB holds them. A journal found at start is newer
// than what IndexedDB holds: the page went before the store was done.
var RecordsJournal = {
  prefix: 'tavikoro-record:',
  keep: function() {
    try {
      FS.readdir('/save').forEach(function(name) {
        var path = '/save/' + name;
        if (!FS.isFile(FS.stat(path).mode)) return;
        var bytes = FS.readFile(path), text = '';
        for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
        localStorage.setItem(RecordsJournal.prefix + path, btoa(text));
      });
    } catch (e) {
      // No localStorage (private modes, full): IndexedDB alone then.
    }
  },
  // The journal's files back into save/; true when there were any.
  restore: function() {
    var found = false;
    try {
      for (var i = localStorage.length - 1; i >= 0; i--) {
        var key = localStorage.key(i);
        if (key.indexOf(RecordsJournal.prefix) != 0) continue;
        var text = atob(localStorage.getItem(key));
        FS.writeFile(key.substr(RecordsJournal.prefix.length), Uint8Array.from(text, function(c) { return c.charCodeAt(0); }));
        found = true;
      }
    } catch (e) {
    }
    return found;
  },
  drop: function() {
    try {
      for (var i = localStorage.length - 1; i >= 0; i--)
        if (localStorage.key(i).indexOf(RecordsJournal.prefix) == 0) localStorage.removeItem(localStorage.key(i));
    } catch (e) {
    }
  }
};

// A browser that refuses IndexedDB, or whose storage is full, keeps none of
// it: the page tells the player (Module.onStorageLost).
function RecordsLost(what) {
  err(what);
  if (Module['onStorageLost']) Module['onStorageLost']();
}

Module['preRun'] = [].concat(Module['preRun'] || [], function() {
  ['/save', '/replay'].forEach(function(folder) {
    FS.mkdir(folder);
    FS.mount(IDBFS, {}, folder);
  });
  addRunDependency('records');
  // Another page of the site may be playing: the records are read once it
  // has stored them and this page plays (Module.playsHere, from the page).
  Promise.resolve(Module['playsHere']).then(function() {
    FS.syncfs(true, function(error) {
      if (error) RecordsLost('The saved records could not be read: ' + error);
      if (RecordsJournal.restore()) Module['storeRecords']();
      removeRunDependency('records');
    });
  });
});

(function() {
  var storing = null;
  var again = false;
  Module['storeRecords'] = function() {
    RecordsJournal.keep();
    if (storing) {
      again = true;
      return;
    }
    storing = new Promise(function(done) {
      FS.syncfs(false, function(error) {
        if (error) RecordsLost('The records could not be stored: ' + error);
        else if (!again) RecordsJournal.drop();
        done();
      });
    }).then(function() {
      storing = null;
      if (again) {
        again = false;
        Module['storeRecords']();
      }
    });
  };
  // Settles once everything saved so far is in IndexedDB.
  Module['recordsStored'] = function() {
    return storing ? storing.then(Module['recordsStored']) : Promise.resolve();
  };
})();
