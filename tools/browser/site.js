// What the browser tests and rigs share: the web build's site served on
// 127.0.0.1 to Debian's chromium, the game's pictures and play frame as the
// page should show them, helpers installed in the page, and a player's keys.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '../..');
const build = path.resolve(root, process.env.TAVIKORO_WEB_BUILD || 'build-web');
const site = path.join(build, 'site');
const images = path.join(build, 'native/game/image');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.json': 'application/json',
                '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
const compressible = ['.html', '.js', '.wasm', '.json'];

// The game's own constants (constexpr int NAME = VALUE) from one of its
// headers; a name the header lacks is an error, never undefined.
function constantsOf(header) {
  const lines = fs.readFileSync(path.join(root, header), 'utf8').matchAll(/^constexpr int ([^;]*);/gm);
  const values = Object.fromEntries([...lines].flatMap(([, list]) => [...list.matchAll(/(\w+) = (-?\d+)/g)])
                                               .map(([, name, value]) => [name, Number(value)]));
  return new Proxy(values, {
    get: (all, name) => {
      if (typeof name === 'string' && !(name in all)) throw new Error(`${header} has no constexpr int ${String(name)}`);
      return all[name];
    },
  });
}
// The scoring window and where the play frame draws it.
const chop = constantsOf('src/act/chop.h');

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
  // Left out arguments may come as null: WebDriver passes them as JSON.
  window.differences = (expected, pixels, scale, area) => {
    [pixels, scale, area] = [pixels || window.screenPixels(), scale || 1, area || { x: 0, y: 0, w: 320, h: 240 }];
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
  // Every sound started: when, looping (music) or not, and its length in
  // samples; the music stopped.
  window.soundsStarted = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.soundsStarted.push({ at: performance.now(), loop: this.loop, samples: this.buffer.length });
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

// The browser the tests play in (TAVIKORO_ENGINE), silent: Debian's
// chromium or firefox-esr through puppeteer, or WebKitGTK through its
// WebDriver.
const engine = process.env.TAVIKORO_ENGINE || 'chromium';
const launch = {
  chromium: () => puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox', '--mute-audio'] }),
  firefox: () => puppeteer.launch({ browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
                                    extraPrefsFirefox: { 'media.volume_scale': '0.0' } }),
  webkit: () => require('./webdriver.js').launch(),
};

// The site on a free port and a browser, both closed when the test ends
// (or by close() when there is no test); stop() takes the server away, open
// connections included. With gzip, text, scripts and WebAssembly go compressed to a browser
// that asks, as a common static host sends them; `also` serves more folders
// and named pages beside the site.
async function openSite(t, { gzip = false, also = { folders: [], pages: {} } } = {}) {
  const server = http.createServer((req, res) => {
    const name = path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/$/, '/index.html');
    const file = [site, ...also.folders].map((folder) => path.join(folder, name))
      .find((f) => fs.statSync(f, { throwIfNoEntry: false })?.isFile());
    let body = also.pages[name] || (file && fs.readFileSync(file));
    if (!body) return res.writeHead(404).end();
    const headers = { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' };
    if (gzip && compressible.includes(path.extname(name)) && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      body = zlib.gzipSync(body, { level: 6 });
      headers['Content-Encoding'] = 'gzip';
    }
    res.writeHead(200, headers).end(body);
  });
  await new Promise((ready) => server.listen(0, '127.0.0.1', ready));
  const browser = await launch[engine]();
  const stop = () => (server.close(), server.closeAllConnections());
  const close = () => browser.close().then(stop);
  if (t) t.after(close);
  return { browser, stop, close, url: `http://127.0.0.1:${server.address().port}/` };
}

// A page of a browser or browser context, with the helpers above; what its
// console says in error or warning goes to complaints.
async function openPage(from, { viewport = { width: 1000, height: 800 }, complaints = null } = {}) {
  const page = await from.newPage();
  if (complaints) {
    page.on('console', (m) => ['error', 'warn', 'warning'].includes(m.type()) && complaints.push(m.text()));
    page.on('pageerror', (e) => complaints.push(e.message));
  }
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument(pageHelpers);
  return page;
}

// Waits for the page's state (ready, playing, elsewhere, ended); its
// attribute changes, so no animation frame is needed.
const untilState = (page, state, timeout = 60000) =>
  page.waitForFunction((s) => document.body.dataset.state === s, { polling: 'mutation', timeout }, state);

// Frames the game has shown, and a wait for more of them.
const frames = (page) => page.evaluate(() => Module.frames || 0);
const waitFrames = async (page, n) => {
  const until = (await frames(page)) + n;
  await page.waitForFunction((f) => Module.frames >= f, { polling: 'raf', timeout: 60000 }, until);
};
// A key or finger held across a few frames, as a player does: the game
// samples its input once a frame.
const hold = async (page, down, up) => {
  await down();
  await waitFrames(page, 3);
  await up();
  await waitFrames(page, 3);
};
const press = (page, key) => hold(page, () => page.keyboard.down(key), () => page.keyboard.up(key));

// Where the canvas differs from an expected frame, within an area.
const differencesOf = (page, expected, area) =>
  page.evaluate((e, a) => window.differences(e, undefined, 1, a), expected, area);

// The play frame while the signal is open: the log stands on the block, in
// front of the figure; keyed pixels show what lies behind.
const playFrame = () =>
  frameOf(['bak/bak.bmp', 0, 0], ['player/ri0.bmp', chop.kFigureX, chop.kFigureY, 128, 0, 64, 96],
          ['player/ri0.bmp', chop.kLogX, chop.kLogY, 0, 32, 32, 32]);
const logArea = { x: chop.kLogX, y: chop.kLogY, w: 32, h: 32 };
const waitForSignal = (page, { polling = 50, timeout = 30000, play = playFrame() } = {}) =>
  page.waitForFunction((e, a) => window.differences(e, undefined, 1, a).count === 0, { polling, timeout }, play, logArea);

module.exports = { engine, build, images, chop, readBmp, frameOf, pageHelpers, openSite, openPage, untilState, frames,
                   waitFrames, hold, press, differencesOf, playFrame, waitForSignal };
