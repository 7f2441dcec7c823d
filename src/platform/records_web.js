// save/ and replay/ live in the browser's IndexedDB: read in before the game
// starts and stored again after every file the game writes there (the
// host's records-written step, host_web.cpp), so a reload keeps the
// settings, the best result and the play time.
Module['preRun'] = [].concat(Module['preRun'] || [], function() {
  ['/save', '/replay'].forEach(function(folder) {
    FS.mkdir(folder);
    FS.mount(IDBFS, {}, folder);
  });
  addRunDependency('records');
  FS.syncfs(true, function(error) {
    if (error) err('The saved records could not be read: ' + error);
    removeRunDependency('records');
  });
});

(function() {
  var storing = null;
  var again = false;
  Module['storeRecords'] = function() {
    if (storing) {
      again = true;
      return;
    }
    storing = new Promise(function(done) {
      FS.syncfs(false, function(error) {
        if (error) err('The records could not be stored: ' + error);
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
