// A result to share: the host reports the score as the result appears; its
// picture is taken once the result has been drawn. Where the browser shares
// files, the picture goes with the words; elsewhere the words are copied.
'use strict';

(function() {
  var share = document.getElementById('share');
  var result = null;
  Module.onScoreShown = function(score) {
    var taken = result = { words: 'I split logs for ' + score + ' points in tavikoro: ' +
                                  location.origin + location.pathname, picture: null };
    var drawn = Module.frames + 2;
    (function takePicture() {
      if (Module.frames < drawn) return requestAnimationFrame(takePicture);
      Module.canvas.toBlob(function(png) { taken.picture = png; });
    })();
    share.textContent = 'Share ' + score;
    share.classList.remove('unused');
  };
  share.addEventListener('click', function() {
    if (!result) return;
    var files = result.picture ? [new File([result.picture], 'tavikoro.png', { type: 'image/png' })] : [];
    if (files.length && navigator.canShare && navigator.canShare({ files: files })) {
      navigator.share({ files: files, text: result.words }).catch(function() {});
    } else if (navigator.clipboard) {
      navigator.clipboard.writeText(result.words).then(function() { share.textContent = 'Copied'; },
                                                       function() { share.textContent = 'Not copied'; });
    }
  });
})();
