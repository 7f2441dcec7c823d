// Packs the game's pictures and sounds for the page, in the order the game
// needs them: the first pack holds what the logo draws and lists what the
// later ones hold, so the page can fetch them while the logo shows.
//
//   node pack.js GAME_DIR SITE_DIR first.pack=PATH,... later.pack=PATH,... ...
//   node pack.js GAME_DIR SITE_DIR @LIST    (LIST: those arguments a line each,
//                                            as tools/packlist prints them)
//
// A PATH is a file or a folder under GAME_DIR; a file goes into the first
// pack that names it. A pack is gzip over a little-endian 32-bit header
// length, the header as JSON and the files one after another: a static
// host sends it as it is, and pictures shrink some 13 to 1. Effects whose
// two channels are the same go in as mono, half the bytes for the same sound.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const readWav = require('../src/sound/wav_web.js');

const [gameDir, siteDir, ...args] = process.argv.slice(2);
const packArgs = args.flatMap((arg) =>
  arg.startsWith('@') ? fs.readFileSync(arg.slice(1), 'utf8').split('\n').filter((line) => line) : [arg]);

function filesUnder(name) {
  const full = path.join(gameDir, name);
  if (!fs.statSync(full).isDirectory()) return [name];
  return fs.readdirSync(full).sort().flatMap((entry) => filesUnder(path.posix.join(name, entry)));
}

// 16-bit PCM stereo with both channels alike as mono; anything else as it is.
function monoWhereSame(bytes) {
  const wav = readWav(bytes);
  if (!wav || wav.channels !== 2 || wav.bits !== 16) return bytes;
  const data = wav.samples;  // a Buffer's part is a Buffer
  const mono = Buffer.alloc(44 + wav.frames * 2);
  for (let i = 0; i < wav.frames; i++) {
    if (data.readInt16LE(4 * i) !== data.readInt16LE(4 * i + 2)) return bytes;
    mono.writeInt16LE(data.readInt16LE(4 * i), 44 + 2 * i);
  }
  mono.write('RIFF', 0, 'latin1');
  mono.writeUInt32LE(36 + wav.frames * 2, 4);
  mono.write('WAVEfmt ', 8, 'latin1');
  mono.writeUInt32LE(16, 16);
  mono.writeUInt16LE(1, 20);  // PCM
  mono.writeUInt16LE(1, 22);  // one channel
  mono.writeUInt32LE(wav.rate, 24);
  mono.writeUInt32LE(wav.rate * 2, 28);
  mono.writeUInt16LE(2, 32);
  mono.writeUInt16LE(16, 34);
  mono.write('data', 36, 'latin1');
  mono.writeUInt32LE(wav.frames * 2, 40);
  return mono;
}

const taken = new Set();
const packs = packArgs.map((arg) => {
  const [name, list] = arg.split('=');
  const files = list.split(',').flatMap(filesUnder).filter((f) => !taken.has(f) && taken.add(f));
  return { name, files };
});

packs.forEach((pack, i) => {
  const contents = pack.files.map((f) => {
    const bytes = fs.readFileSync(path.join(gameDir, f));
    return f.endsWith('.wav') ? monoWhereSame(bytes) : bytes;
  });
  const header = { files: pack.files.map((f, k) => [f, contents[k].length]) };
  if (i === 0) header.later = packs.slice(1).map((p) => [p.name, p.files]);
  const json = Buffer.from(JSON.stringify(header));
  const length = Buffer.alloc(4);
  length.writeUInt32LE(json.length);
  const packed = zlib.gzipSync(Buffer.concat([length, json, ...contents]), { level: 9 });
  fs.writeFileSync(path.join(siteDir, pack.name), packed);
});
