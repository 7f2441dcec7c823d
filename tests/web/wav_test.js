// The page's one WAV reader, as the packer and the mixer use it: a broken
// effect is no sound, never an exception that would stop the game.
// Usage: node --test tests/web/wav_test.js
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const readWav = require('../../src/sound/wav_web.js');

// A chunk: its tag, its body, and the size its header claims (the body's by default).
const chunk = (tag, body, size = body.length) => {
  const head = Buffer.from(tag + '\0\0\0\0', 'latin1');
  head.writeUInt32LE(size, 4);
  return Buffer.concat([head, body, Buffer.alloc(body.length & 1)]);
};
// The format's first `length` bytes: type, channels, rate, (byte rate, block size), bits.
const fmt = ({ type = 1, channels = 1, rate = 8000, bits = 16 } = {}, length = 16) => {
  const body = Buffer.alloc(16);
  [type, channels, rate & 0xffff, rate >>> 16, 0, 0, 0, bits].forEach((v, i) => body.writeUInt16LE(v, 2 * i));
  return chunk('fmt ', body.subarray(0, length));
};
const riff = (...chunks) => Buffer.concat([Buffer.from('RIFF\0\0\0\0WAVE', 'latin1'), ...chunks]);
const samples = Buffer.from([0, 0x80, 0xff, 0x7f, 1, 0]);  // three 16-bit samples

test('effects read whole, or as no sound without an exception', () => {
  const mono = readWav(riff(chunk('LIST', Buffer.from('odd')), fmt(), chunk('data', samples)));
  assert.deepStrictEqual([mono.channels, mono.rate, mono.bits, mono.frames, [...mono.samples]], [1, 8000, 16, 3, [...samples]]);
  const eight = readWav(riff(fmt({ channels: 2, bits: 8 }), chunk('data', Buffer.from([1, 2, 3, 4, 5]))));
  assert.deepStrictEqual([eight.frames, [...eight.samples]], [2, [1, 2, 3, 4]], 'whole frames only');
  assert.strictEqual(readWav(riff(fmt(), chunk('data', samples, 1000))).frames, 3, 'data cut short keeps what is there');
  const broken = {
    'no bytes': Buffer.alloc(0),
    'not WAVE': Buffer.from('RIFF\0\0\0\0AVI LIST\0\0\0\0', 'latin1'),
    'no data': riff(fmt()),
    'data before its format': riff(chunk('data', samples), fmt()),
    'format of 2 bytes, file ends there': riff(fmt({}, 2)),
    // Read as 16 bytes, its bits would be the 16 in the next chunk's size.
    'format of 8 bytes, then data': riff(fmt({}, 8), chunk('data', samples, 0x100006)),
    'format claims 16 bytes, file ends after 6': riff(chunk('fmt ', Buffer.alloc(6), 16)),
    'a chunk that runs past the end': riff(fmt(), chunk('LIST', Buffer.alloc(4), 0xfffffff0), chunk('data', samples)),
    'compressed': riff(fmt({ type: 3 }), chunk('data', samples)),
    'no channels': riff(fmt({ channels: 0 }), chunk('data', samples)),
    'three channels': riff(fmt({ channels: 3 }), chunk('data', samples)),
    'rate 0': riff(fmt({ rate: 0 }), chunk('data', samples)),
    '24 bits': riff(fmt({ bits: 24 }), chunk('data', samples)),
    'no whole frame': riff(fmt({ channels: 2 }), chunk('data', samples.subarray(0, 3))),
  };
  for (const [what, bytes] of Object.entries(broken)) assert.strictEqual(readWav(bytes), null, what);
});
