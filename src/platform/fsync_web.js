// The browser's file system lives in memory, and the host stores save/ and
// replay/ after every finished save (records_web.js): a sync of one file has
// nothing to wait for. (Emscripten's own would store the whole folder to
// IndexedDB and sleep the game until that is done, which a closing page never
// lets finish.)
mergeInto(LibraryManager.library, {
  fd_sync: function(fd) { return 0; }
});
