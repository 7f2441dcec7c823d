// The files the game reads, as the page supplies them.
Module['preRun'] = [].concat(Module['preRun'] || [], function() {
  // ?debug or #debug in the address: the debug overlay, as debug.txt with
  // DebugDisp=1 beside the desktop program switches it on.
  if (/[?&#]debug(?![\w-])/.test(location.search + location.hash)) FS.writeFile('/debug.txt', 'DebugDisp=1\n');
});
