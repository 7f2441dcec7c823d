// The one WAV reader of the browser build: the mixer decodes effects with it
// in the page (a --pre-js file), and web/pack.js requires it at build time.
// PCM, mono or stereo, 8 or 16 bits. Anything else, or a file cut short
// before its samples, is no sound: null, never an exception, so a broken
// effect is what a missing one is.
function readWav(bytes) {
  var u16 = function(at) { return bytes[at] | bytes[at + 1] << 8; };
  var u32 = function(at) { return u16(at) + u16(at + 2) * 65536; };
  var tag = function(at) { return String.fromCharCode(bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]); };
  if (bytes.length < 12 || tag(0) != 'RIFF' || tag(8) != 'WAVE') return null;
  var format = null;
  for (var at = 12, size; at + 8 <= bytes.length; at += 8 + size + (size & 1)) {
    size = u32(at + 4);
    var body = at + 8;
    if (tag(at) == 'fmt ') {
      if (size < 16) return null;  // one running past the end reads as zeros, and no data follows it
      format = { type: u16(body), channels: u16(body + 2), rate: u32(body + 4), bits: u16(body + 14) };
    } else if (tag(at) == 'data') {
      if (!format || format.type != 1 || format.channels < 1 || format.channels > 2 || format.rate < 1 ||
          (format.bits != 8 && format.bits != 16))
        return null;
      // A data chunk longer than the file keeps the whole frames that are there.
      var step = format.bits / 8 * format.channels;
      var frames = Math.floor(Math.min(size, bytes.length - body) / step);
      if (frames < 1) return null;
      return { channels: format.channels, rate: format.rate, bits: format.bits, frames: frames,
               samples: bytes.subarray(body, body + frames * step) };
    }
  }
  return null;
}
if (typeof module != 'undefined') module.exports = readWav;
