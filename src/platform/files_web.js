// The files the game reads, as the page fetches them (packs made by
// web/pack.js): the logo's pack before the game may start, and the others
// one after another right after it, while the player starts the game and the
// logo shows. The first pack says which file comes in which later pack, so
// a file not there yet is known to be coming (Module.siteFiles.arrival) and
// one that no pack holds is missing at once, as on the desktop.
Module['siteFiles'] = (function() {
  var coming = {};  // path: the promise of the pack that brings it
  // Beside this script; the module's own locateFile is not set up yet.
  var base = document.currentScript ? document.currentScript.src : location.href;

  function unpack(name) {
    return fetch(new URL(name, base)).then(function(response) {
      if (!response.ok) throw new Error(name + ': ' + response.status);
      return new Response(response.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
    }).then(function(buffer) {
      var length = new DataView(buffer).getUint32(0, true);
      var header = JSON.parse(new TextDecoder().decode(new Uint8Array(buffer, 4, length)));
      var at = 4 + length;
      header.files.forEach(function(file) {
        var where = file[0].lastIndexOf('/');
        FS.createPath('/', file[0].substr(0, where), true, true);
        FS.writeFile('/' + file[0], new Uint8Array(buffer, at, file[1]));
        at += file[1];
      });
      return header;
    });
  }

  // One after another, so each has the whole line while the ones before it
  // are needed sooner. A pack that fails leaves its files missing.
  // Module.onFilesArrived, if the page sets it, hears when all have come or
  // failed: the page then lets the offline cache fetch the site without
  // competing with what the game needs.
  function fetchLater(packs) {
    var all = packs.reduce(function(before, pack) {
      var arrived = before.then(function() { return unpack(pack[0]); }).catch(function(e) {
        err('The game\'s files could not be loaded: ' + e);
      }).then(function() {
        pack[1].forEach(function(path) { delete coming[path]; });
      });
      pack[1].forEach(function(path) { coming[path] = arrived; });
      return arrived;
    }, Promise.resolve());
    all.then(function() {
      if (Module['onFilesArrived']) Module['onFilesArrived']();
    });
  }

  var first = unpack('logo.pack');  // at once, beside the module itself
  Module['preRun'] = [].concat(Module['preRun'] || [], function() {
    addRunDependency('logo.pack');
    first.then(function(header) {
      fetchLater(header.later);
      removeRunDependency('logo.pack');
    }, function(e) {
      err('The game\'s files could not be loaded: ' + e);
      removeRunDependency('logo.pack');
    });
    // ?debug or #debug in the address: the debug overlay, as debug.txt with
    // DebugDisp=1 beside the desktop program switches it on; debug=0 keeps it off.
    var asked = [location.search.slice(1), location.hash.slice(1)].map(function(part) {
      return new URLSearchParams(part).get('debug');
    });
    if (asked.some(function(value) { return value != null && value != '0'; })) {
      FS.writeFile('/debug.txt', 'DebugDisp=1\n');
    }
  });

  return {
    // Null when the file is there or will never come; else a promise that
    // settles when it has come or failed to.
    arrival: function(path) {
      path = path.replace(/^\/+/, '');
      if (!coming[path] || FS.analyzePath('/' + path).exists) return null;
      return coming[path];
    }
  };
})();
