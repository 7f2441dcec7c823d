// The page's one WAV reader, as the packer and the mixer use it: broken
// effects are no sound, never an exception that would stop the game.
// Usage: node --test tests/web/wav_test.js
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const readWav = require('../../src/sound/wav_web.js');

// A chunk: its tag, its body, and the size its header claims (the body's by default).
const chunk = (tag, body, size = body.length) => {
  const head = Buffer.alloc(8);
  head.write(tag, 'latin1');
  head.writeUInt32LE(size >>> 0, 4);
  return Buffer.concat([head, body, Buffer.alloc(body.length & 1)]);
};
const fmt = ({ type = 1, channels = 1, rate = 8000, bits = 16 } = {}, length = 16) => {
  const body = Buffer.alloc(length);
  [[type, 0], [channels, 2], [bits, 14]].forEach(([v, at]) => at + 2 <= length && body.writeUInt16LE(v, at));
  if (length >= 8) body.writeUInt32LE(rate, 4);
  return chunk('fmt ', body);
};
const riff = (...chunks) => Buffer.concat([Buffer.from('RIFF\0\0\0\0WAVE', 'latin1'), ...chunks]);
const samples = Buffer.from([0, 0x80, 0xff, 0x7f, 1, 0]);  // three 16-bit samples

test('well-formed effects are read whole', () => {
  const mono = readWav(riff(chunk('LIST', Buffer.from('odd')), fmt(), chunk('data', samples)));
  assert.deepStrictEqual([mono.channels, mono.rate, mono.bits, mono.frames], [1, 8000, 16, 3], 'after an odd chunk');
  assert.deepStrictEqual([...mono.samples], [...samples]);
  const eight = readWav(riff(fmt({ channels: 2, bits: 8 }), chunk('data', Buffer.from([1, 2, 3, 4, 5]))));
  assert.deepStrictEqual([eight.frames, [...eight.samples]], [2, [1, 2, 3, 4]], 'whole frames only');
  const cut = readWav(riff(fmt(), chunk('data', samples, 1000)));
  assert.strictEqual(cut.frames, 3, 'a data chunk cut short keeps what is there');
});

test('broken effects are no sound', () => {
  const cases = {
    'no bytes': Buffer.alloc(0),
    'only the RIFF tag': Buffer.from('RIFF', 'latin1'),
    'not WAVE': Buffer.from('RIFF\0\0\0\0AVI LIST\0\0\0\0', 'latin1'),
    'no data': riff(fmt()),
    'data before its format': riff(chunk('data', samples), fmt()),
    'format chunk of 2 bytes, file ends there': riff(fmt({}, 2)),
    // Read as 16 bytes, its bits would be the 16 in the next chunk's size.
    'format chunk of 8 bytes, then data': riff(fmt({}, 8), chunk('data', samples, 0x100006)),
    'format claims 16 bytes, file ends after 6': riff(chunk('fmt ', Buffer.alloc(6), 16)),
    'a chunk that runs past the end': riff(fmt(), chunk('LIST', Buffer.alloc(4), 0xfffffff0), chunk('data', samples)),
    'compressed': riff(fmt({ type: 3 }), chunk('data', samples)),
    'no channels': riff(fmt({ channels: 0 }), chunk('data', samples)),
    'three channels': riff(fmt({ channels: 3 }), chunk('data', samples)),
    'rate 0': riff(fmt({ rate: 0 }), chunk('data', samples)),
    '24 bits': riff(fmt({ bits: 24 }), chunk('data', samples)),
    'no whole frame': riff(fmt({ channels: 2 }), chunk('data', samples.subarray(0, 3))),
  };
  for (const [what, bytes] of Object.entries(cases)) {
    let wav;
    assert.doesNotThrow(() => (wav = readWav(bytes)), what);
    assert.strictEqual(wav, null, what);
  }
});
