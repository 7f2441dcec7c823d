// The web build played in Debian's chromium, served from 127.0.0.1: the logo
// through the palette at the page's scale, the title menu, stage select, a
// scoring chop and its sounds, records kept across a reload, a gamepad, and a
// console without errors or warnings.
// Usage: node --test tests/web/browser_test.js; TAVIKORO_WEB_BUILD names the
// web build folder (default build-web), WEB_SCREENSHOT a PNG file for a
// picture of the page just after the chop.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const build = path.resolve(__dirname, '../..', process.env.TAVIKORO_WEB_BUILD || 'build-web');
const site = path.join(build, 'site');
const images = path.join(build, 'native/game/image');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };

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
  // Every sound started: looping (music) or not, and its length in samples.
  window.soundsStarted = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.soundsStarted.push({ loop: this.loop, samples: this.buffer.length });
    return start.apply(this, args);
  };
  // A PNG, e.g. a screenshot, decoded by the browser.
  window.pngPixels = async (base64) => {
    const bitmap = await createImageBitmap(await (await fetch('data:image/png;base64,' + base64)).blob());
    const c = new OffscreenCanvas(bitmap.width, bitmap.height);
    c.getContext('2d').drawImage(bitmap, 0, 0);
    return c.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height).data;
  };
};

test('the game in chromium', async (t) => {
  let refused = null;  // a file the server says it does not have
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
  t.after(async () => {
    await browser.close();
    server.close();
  });
  const complaints = [];
  const openPage = async () => {
    const p = await browser.newPage();
    p.on('console', (m) => ['error', 'warn', 'warning'].includes(m.type()) && complaints.push(m.text()));
    p.on('pageerror', (e) => complaints.push(e.message));
    await p.setViewport({ width: 1000, height: 800 });
    await p.evaluateOnNewDocument(pageHelpers);
    return p;
  };
  let page = await openPage();
  const url = `http://127.0.0.1:${server.address().port}/`;

  const frames = () => page.evaluate(() => Module.frames || 0);
  const waitFrames = async (n) => {
    const until = (await frames()) + n;
    await page.waitForFunction((f) => Module.frames >= f, { polling: 'raf' }, until);
  };
  // Held across a few frames: the game samples the keys once a frame.
  const tap = async (key) => {
    await page.keyboard.down(key);
    await waitFrames(3);
    await page.keyboard.up(key);
    await waitFrames(3);
  };
  const differences = (expected) => page.evaluate((e) => differences(e), expected);
  // The play time (in frames) and the volume in save/config as IndexedDB holds it.
  const storedRecord = () =>
    page.evaluate(
      () =>
        new Promise((resolve) => {
          const open = indexedDB.open('/save');
          open.onsuccess = () => {
            const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('/save/config');
            get.onsuccess = () => {
              const v = new DataView(get.result.contents.buffer, get.result.contents.byteOffset);
              const [f, s, m, h] = [107, 108, 109, 110].map((i) => v.getInt32(i * 4, true));
              resolve({ time: ((h * 60 + m) * 60 + s) * 60 + f, volume: v.getInt32(60 * 4, true) });
            };
          };
        })
    );
  const startGame = async () => {
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    const timing = await page.evaluate(() => {
      window.clickedAt = performance.now();
      const seen = () => (Module.frames ? (window.firstFrameAt = performance.now()) : requestAnimationFrame(seen));
      requestAnimationFrame(seen);
      return Math.round(performance.now());
    });
    await page.click('#message');
    await page.waitForFunction(() => window.firstFrameAt);
    const toFrame = await page.evaluate(() => Math.round(window.firstFrameAt - window.clickedAt));
    t.diagnostic(`page ready ${timing} ms after navigation; first frame ${toFrame} ms after the click`);
  };
  const quit = async () => {
    await page.keyboard.down('Escape');
    await page.waitForFunction(() => document.body.dataset.state === 'ended');
    await page.keyboard.up('Escape');
  };

  await page.goto(url);
  await startGame();

  await t.test('the logo, pixel for pixel at the page scale', async () => {
    await waitFrames(2);
    const logo = frameOf(['a_logo.bmp', 0, 0]);
    assert.deepStrictEqual(await differences(logo), { count: 0, left: 1e9, right: -1 });
    const box = await page.$eval('#screen', (c) => c.getBoundingClientRect().toJSON());
    assert.strictEqual(box.width, 960, 'the largest whole scale that fits 1000 x 800 is 3');
    const shot = await page.screenshot({ clip: box, encoding: 'base64' });
    const scaled = await page.evaluate(async (s, e) => differences(e, await pngPixels(s), 3), shot, logo);
    assert.strictEqual(scaled.count, 0);
  });

  const title = frameOf(['title/title1.bmp', 0, 0]);
  let newGame;
  await t.test('Z reaches the title and the menu cursor moves', async () => {
    await tap('z');
    await waitFrames(2);
    newGame = await differences(title);
    assert.ok(newGame.count > 0 && newGame.count <= 32 * 4, `the cursor alone differs: ${JSON.stringify(newGame)}`);
    await tap('ArrowRight');
    const stage = await differences(title);
    assert.ok(stage.left > newGame.right, `the cursor moved right: ${JSON.stringify(stage)}`);
  });

  await t.test('stage select and back', async () => {
    await tap('z');
    await waitFrames(2);
    assert.strictEqual((await differences(frameOf(['title/stageselect.bmp', 0, 0]))).count, 0);
    await tap('x');
    await waitFrames(2);
    assert.deepStrictEqual(await differences(title), newGame, 'back at the title, on NEW GAME');
  });

  // The log stands on the block, in front of the figure, only while the
  // signal is open; keyed pixels show what lies behind.
  const play = frameOf(
    ['bak/bak.bmp', 0, 0],
    ['player/ri0.bmp', 150, 100, 128, 0, 64, 96],
    ['player/ri0.bmp', 150, 164, 0, 32, 32, 32]
  );
  const logArea = { x: 150, y: 164, w: 32, h: 32 };
  const overlayArea = { x: 10, y: 66, w: 80, h: 14 };  // its last rows, below the labels
  const overlayPixels = () => page.evaluate((e, area) => differences(e, undefined, 1, area).count, play, overlayArea);
  await t.test('a chop during the signal scores', async () => {
    await tap('z');
    await page.waitForFunction((e, area) => differences(e, undefined, 1, area).count === 0,
                               { polling: 'raf', timeout: 10000 }, play, logArea);
    assert.strictEqual(await overlayPixels(), 0, 'no debug overlay without ?debug');
    await tap('z');
    await waitFrames(2);
    // The score: nine 10 x 8 digits from x 120, y 10.
    const digits = readBmp('sys/fonts2.bmp');
    const palette = readBmp('color.bmp').colors;
    const glyphs = [];
    for (let d = 0; d < 10; d++) {
      const g = [];
      for (let y = 0; y < 8; y++)
        for (let x = 0; x < 10; x++) g.push(digits.index(d * 10 + x, y) ? palette[digits.index(d * 10 + x, y)] : null);
      glyphs.push(g);
    }
    const score = await page.evaluate((glyphs) => {
      const p = screenPixels();
      let text = '';
      for (let cell = 0; cell < 9; cell++) {
        const at = (k) => ((10 + Math.floor(k / 10)) * 320 + 120 + cell * 10 + (k % 10)) * 4;
        const d = glyphs.findIndex((g) => g.every((c, k) => !c || [0, 1, 2].every((n) => p[at(k) + n] === c[n])));
        text += d < 0 ? '?' : d;
      }
      return text;
    }, glyphs);
    assert.match(score, /^\d{9}$/);
    assert.ok(Number(score) > 0 && Number(score) <= 1000, `score ${score}`);
    t.diagnostic(`score after one chop: ${score}`);
    if (process.env.WEB_SCREENSHOT) await page.screenshot({ path: process.env.WEB_SCREENSHOT });
    // Title and game music; the menu cursor's move, the signal, the chop (a
    // fast one sounds different).
    const samples = (effect) => {
      const wav = fs.readFileSync(path.join(images, '../sound/se', effect));
      return (wav.length - 44) / (2 * wav.readUInt16LE(22));  // 16-bit frames of all channels
    };
    const sounds = await page.evaluate(() => soundsStarted);
    assert.ok(sounds.some((s) => s.loop), 'music plays');
    const chop = Number(score) === 1000 ? 'kan.wav' : 'hit1.wav';
    assert.deepStrictEqual(sounds.filter((s) => !s.loop).map((s) => s.samples), ['select.wav', 'oo.wav', chop].map(samples));
  });

  await t.test('play time and volume survive a reload, saved in place too', async () => {
    await quit();
    const first = await storedRecord();
    assert.ok(first.time > 0);
    await page.reload();
    await startGame();
    // A folder that takes no new files: the settings are written over the
    // old file in place, not renamed, and must reach IndexedDB all the same.
    await page.evaluate(() => Module.FS.chmod('/save', 0o555));
    await tap('Minus');
    await quit();
    assert.deepStrictEqual(await storedRecord(), { time: first.time + (await frames()), volume: first.volume - 10 });
    const made = await page.evaluate(() => {
      try {
        return Module.FS.writeFile('/save/probe', 'x') || true;
      } catch (e) {
        return false;
      }
    });
    assert.strictEqual(made, false, 'the folder took a new file: the save was not written in place');
  });

  await t.test('a gamepad button starts the game and skips the logo', async () => {
    await page.evaluateOnNewDocument(() => {
      const pad = { id: 'test pad', index: 0, connected: true, axes: [0, 0], buttons: [] };
      for (let b = 0; b < 10; b++) pad.buttons.push({ pressed: false, value: 0 });
      window.pressButton = (down) => (pad.buttons[0] = { pressed: down, value: down ? 1 : 0 });
      navigator.getGamepads = () => [pad];
    });
    await page.reload();
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    // Still held when the game samples it first: a push, as it would be at
    // a native start.
    for (const down of [true, false]) {
      await page.evaluate((d) => pressButton(d), down);
      await page.waitForFunction(() => document.body.dataset.state === 'playing');
      await waitFrames(3);
    }
    assert.deepStrictEqual(await differences(title), newGame);
    await quit();
  });

  await t.test('hidden for 5 s the game stands still and silent; closed unquit, it keeps volume and play time', async () => {
    const before = await storedRecord();
    await page.reload();
    await startGame();
    await tap('Minus');
    await tap('z');  // the title, with its music
    const other = await browser.newPage();
    await other.bringToFront();
    await page.waitForFunction(() => document.hidden && Module.audioContext.state === 'suspended');
    const hiddenAt = await frames();
    await new Promise((done) => setTimeout(done, 5000));
    assert.strictEqual(await frames(), hiddenAt, 'no frame runs while hidden');
    // Saved as it was hidden, in the wait after its last frame, which counts
    // once it has run.
    assert.deepStrictEqual(await storedRecord(), { time: before.time + hiddenAt - 1, volume: before.volume - 10 });
    await page.bringToFront();
    await other.close();
    await waitFrames(30);
    assert.strictEqual(await page.evaluate(() => Module.audioContext.state), 'running');
    const ran = await frames();
    await page.close();
    page = await openPage();
    await page.goto(url);
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    await page.evaluate(() => Module.recordsStored());
    const after = await storedRecord();
    assert.strictEqual(after.volume, before.volume - 10);
    assert.ok(after.time >= before.time + ran - 1 && after.time <= before.time + ran + 10,
              `play time ${after.time - before.time} frames for ${ran} frames run`);
  });

  await t.test('?debug in the address shows the overlay; effects that never come switch sound off', async () => {
    refused = path.join(site, 'game.pack');
    await page.goto(url + '?debug');
    await startGame();
    await tap('z');
    await page.waitForFunction(() => !Module.siteFiles.arrival('sound/se/kan.wav'));
    const sounds = await page.evaluate(() => soundsStarted.length);
    await tap('ArrowRight');
    await tap('ArrowLeft');
    await tap('z');
    await waitFrames(10);
    assert.ok((await overlayPixels()) > 0, 'the overlay\'s numbers are drawn over the clearing');
    assert.strictEqual(await page.evaluate(() => soundsStarted.length), sounds, 'no cursor tick, no game music');
    const missing = complaints.filter((c) => /game\.pack|404/.test(c));
    assert.strictEqual(missing.length, 2, 'the failed fetch and the page\'s word on it');
    complaints.splice(0, complaints.length, ...complaints.filter((c) => !missing.includes(c)));
  });

  await t.test('no error or warning in the console', () => {
    assert.deepStrictEqual(complaints, []);
  });
});
