// What the browser tests share: the web build's site served on 127.0.0.1 to
// Debian's chromium, the game's pictures as the page should show them, and
// helpers installed in the page.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const build = path.resolve(__dirname, '../..', process.env.TAVIKORO_WEB_BUILD || 'build-web');
const site = path.join(build, 'site');
const images = path.join(build, 'native/game/image');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
                '.webmanifest': 'application/manifest+json' };

// An 8-bit BMP as the game draws it: palette entry 0 is transparent.
function readBmp(name) {
  const b = fs.readFileSync(path.join(images, name));
  const at = b.readUInt32LE(10), w = b.readInt32LE(18), h = b.readInt32LE(22);
  const colors = [];
  for (let i = 0; i < (b.readUInt32LE(46) || 256); i++) {
    const e = 14 + b.readUInt32LE(14) + 4 * i;
    colors.push([b[e + 2], b[e + 1], b[e]]);
  }
  const stride = (w + 3) & ~3;
  const index = (x, y) => b[at + (h - 1 - y) * stride + x];
  return { w, h, colors, index };
}

// The 320 x 240 RGB frame of pictures drawn over black through the shared palette.
function frameOf(...layers) {
  const palette = readBmp('color.bmp').colors;
  const rgb = Buffer.alloc(320 * 240 * 3);
  for (const [name, dx, dy, sx = 0, sy = 0, sw, sh] of layers) {
    const p = readBmp(name);
    for (let y = 0; y < (sh || p.h); y++)
      for (let x = 0; x < (sw || p.w); x++) {
        const i = p.index(sx + x, sy + y);
        if (i === 0 || dx + x >= 320 || dy + y >= 240) continue;
        palette[i].forEach((c, k) => (rgb[((dy + y) * 320 + dx + x) * 3 + k] = c));
      }
  }
  return rgb.toString('base64');
}

// In the page: where the canvas differs from an expected frame.
const pageHelpers = () => {
  // Read through a copy, so the game's own canvas is never read back.
  window.screenPixels = () => {
    window.copy = window.copy || new OffscreenCanvas(320, 240).getContext('2d', { willReadFrequently: true });
    window.copy.drawImage(document.getElementById('screen'), 0, 0);
    return window.copy.getImageData(0, 0, 320, 240).data;
  };
  window.differences = (expected, pixels = window.screenPixels(), scale = 1, area = { x: 0, y: 0, w: 320, h: 240 }) => {
    const rgb = Uint8Array.from(atob(expected), (ch) => ch.charCodeAt(0));
    const box = { count: 0, left: 1e9, right: -1 };
    for (let y = area.y * scale; y < (area.y + area.h) * scale; y++)
      for (let x = area.x * scale; x < (area.x + area.w) * scale; x++) {
        const i = (y * 320 * scale + x) * 4, j = (Math.floor(y / scale) * 320 + Math.floor(x / scale)) * 3;
        if (pixels[i] !== rgb[j] || pixels[i + 1] !== rgb[j + 1] || pixels[i + 2] !== rgb[j + 2]) {
          box.count++;
          box.left = Math.min(box.left, x);
          box.right = Math.max(box.right, x);
        }
      }
    return box;
  };
  // Every sound started: looping (music) or not, and its length in samples;
  // the music stopped.
  window.soundsStarted = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.soundsStarted.push({ loop: this.loop, samples: this.buffer.length });
    return start.apply(this, args);
  };
  window.musicStops = 0;
  const stop = AudioBufferSourceNode.prototype.stop;
  AudioBufferSourceNode.prototype.stop = function (...args) {
    window.musicStops += this.loop;
    return stop.apply(this, args);
  };
  // A PNG, e.g. a screenshot, decoded by the browser.
  window.pngPixels = async (base64) => {
    const bitmap = await createImageBitmap(await (await fetch('data:image/png;base64,' + base64)).blob());
    const c = new OffscreenCanvas(bitmap.width, bitmap.height);
    c.getContext('2d').drawImage(bitmap, 0, 0);
    return c.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height).data;
  };
};

// The site on a free port and a browser, both closed when the test ends;
// stop() takes the server away, open connections included; refuse(name)
// answers that file with 404 from then on.
async function openSite(t) {
  let refused = null;  // a file the server says it does not have: refuse(name)
  const server = http.createServer((req, res) => {
    const file = path.join(site, path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/$/, '/index.html'));
    fs.readFile(file === refused ? '' : file, (error, data) => {
      res.writeHead(error ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(error ? '' : data);
    });
  });
  await new Promise((ready) => server.listen(0, '127.0.0.1', ready));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--mute-audio'],
  });
  const stop = () => {
    server.close();
    server.closeAllConnections();
  };
  t.after(async () => {
    await browser.close();
    stop();
  });
  const refuse = (name) => (refused = path.join(site, name));
  return { browser, stop, refuse, url: `http://127.0.0.1:${server.address().port}/` };
}

// Frames the game has shown, and a wait for more of them.
const frameCounter = (page) => {
  const frames = () => page.evaluate(() => Module.frames || 0);
  const waitFrames = async (n) => {
    const until = (await frames()) + n;
    await page.waitForFunction((f) => Module.frames >= f, { polling: 'raf' }, until);
  };
  return { frames, waitFrames };
};

// The log stands on the block, in front of the figure, only while the
// signal is open; keyed pixels show what lies behind.
const waitForSignal = (page) => {
  const play = frameOf(
    ['bak/bak.bmp', 0, 0],
    ['player/ri0.bmp', 150, 100, 128, 0, 64, 96],
    ['player/ri0.bmp', 150, 164, 0, 32, 32, 32]
  );
  const logArea = { x: 150, y: 164, w: 32, h: 32 };
  return page.waitForFunction((e, area) => differences(e, undefined, 1, area).count === 0,
                              { polling: 50, timeout: 30000 }, play, logArea);
};

module.exports = { images, readBmp, frameOf, pageHelpers, openSite, frameCounter, waitForSignal };
