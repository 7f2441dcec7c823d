// The web build played in a browser (TAVIKORO_ENGINE: chromium, the default,
// firefox or webkit), served from 127.0.0.1: the logo
// through the palette at the page's scale, the title menu, stage select, a
// scoring chop and its sounds, records kept across a reload, a gamepad, and a
// console without errors or warnings.
// Usage: [TAVIKORO_ENGINE=firefox] node --test tests/web/browser_test.js; TAVIKORO_WEB_BUILD names the
// web build folder (default build-web), WEB_SCREENSHOT a PNG file for a
// picture of the page just after the chop.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { readStorage, recordsOf } = require('../../fuzz/lifecycle.js');
const { engine, images, chop, readBmp, frameOf, openSite, openPage: newPage, untilState, frames, waitFrames,
        press, differencesOf, playFrame, waitForSignal } = require('../../tools/browser/site.js');

// What an engine cannot do in automation here, so its steps are left out.
const cannot = {
  firefox: { sound: 'no sound device here, its AudioContext never runs', worker: 'the service worker cannot be bypassed' },
  webkit: { worker: 'the service worker cannot be bypassed', hide: 'every page is a window of its own, always shown' },
}[engine] || {};

test(`the game in ${engine}`, async (t) => {
  const { browser, url } = await openSite(t);
  const complaints = [];
  const openPage = () => newPage(browser, { complaints });
  let page = await openPage();
  const differences = (expected) => differencesOf(page, expected);
  // The play time (in frames) and the volume in save/config as IndexedDB holds it.
  const storedRecord = async () => {
    const { time, volume } = recordsOf(await page.evaluate(readStorage, { journal: false }));
    return { time, volume };
  };
  const startGame = async () => {
    await untilState(page, 'ready');
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
  // A pack held back until the function returned is called, then refused;
  // not from the service worker's cache.
  const holdBack = async (pack) => {
    let refuse;
    const held = new Promise((done) => (refuse = done));
    await page.setBypassServiceWorker(true);
    await page.setRequestInterception(true);
    page.on('request', (r) => (r.url().endsWith('/' + pack) ? held.then(() => r.respond({ status: 404, body: '' })) : r.continue()));
    return refuse;
  };
  // The failed fetch of a refused pack and the page's word on it.
  const takeComplaintsOf = (pack) => {
    const missing = complaints.filter((c) => c.includes(pack) || c.includes('404'));
    assert.strictEqual(missing.length, 2, 'the failed fetch and the page\'s word on it');
    complaints.splice(0, complaints.length, ...complaints.filter((c) => !missing.includes(c)));
  };
  // The page closed without quitting, and a new one once its records are in.
  const reopen = async (bypassWorker = false) => {
    await page.close();
    page = await openPage();
    if (bypassWorker) await page.setBypassServiceWorker(true);
    await page.goto(url);
    await untilState(page, 'ready');
    await page.evaluate(() => Module.recordsStored());
  };
  const quit = async () => {
    await page.keyboard.down('Escape');
    await untilState(page, 'ended');
    await page.keyboard.up('Escape');
  };

  await page.goto(url + '?debug=0');
  await startGame();

  await t.test('the logo, pixel for pixel at the page scale', async () => {
    await waitFrames(page, 2);
    const logo = frameOf(['a_logo.bmp', 0, 0]);
    assert.deepStrictEqual(await differences(logo), { count: 0, left: 1e9, right: -1 });
    const box = await page.$eval('#screen', (c) => c.getBoundingClientRect().toJSON());
    assert.strictEqual(box.width, 960, 'the largest whole scale that fits 1000 x 800 is 3');
    const shot = await page.screenshot({ clip: box, encoding: 'base64' });
    const scaled = await page.evaluate(async (s, e) => window.differences(e, await window.pngPixels(s), 3), shot, logo);
    assert.strictEqual(scaled.count, 0);
  });

  const title = frameOf(['title/title1.bmp', 0, 0]);
  let newGame;
  await t.test('Space reaches the title and the menu cursor moves', async () => {
    await press(page, ' ');
    await waitFrames(page, 2);
    newGame = await differences(title);
    assert.ok(newGame.count > 0 && newGame.count <= 32 * 4, `the cursor alone differs: ${JSON.stringify(newGame)}`);
    await press(page, 'ArrowRight');
    const stage = await differences(title);
    assert.ok(stage.left > newGame.right, `the cursor moved right: ${JSON.stringify(stage)}`);
    await page.keyboard.down('Alt');
    await press(page, 'Enter');
    await page.keyboard.up('Alt');
    assert.deepStrictEqual(await differences(title), stage, 'Alt+Enter is the browser\'s, no choice');
  });

  await t.test('Enter chooses stage select, X goes back', async () => {
    await press(page, 'Enter');
    await waitFrames(page, 2);
    assert.strictEqual((await differences(frameOf(['title/stageselect.bmp', 0, 0]))).count, 0);
    await press(page, 'x');
    await waitFrames(page, 2);
    assert.deepStrictEqual(await differences(title), newGame, 'back at the title, on NEW GAME');
  });

  const play = playFrame();
  const overlayArea = { x: 10, y: 66, w: 80, h: 14 };  // its last rows, below the labels
  const overlayPixels = async () => (await differencesOf(page, play, overlayArea)).count;
  await t.test('a chop during the signal scores', async () => {
    await press(page, 'z');
    await waitForSignal(page, { polling: 'raf', play });
    assert.strictEqual(await overlayPixels(), 0, 'no debug overlay with ?debug=0');
    await press(page, 'z');
    await waitFrames(page, 2);
    // The score: nine 10 x 8 digits from x 120, y 10.
    const digits = readBmp('sys/fonts2.bmp');
    const palette = readBmp('color.bmp').colors;
    const glyphs = Array.from({ length: 10 }, (_, d) =>
      Array.from({ length: 80 }, (_, k) => digits.index(d * 10 + (k % 10), Math.floor(k / 10))).map((i) => i && palette[i]));
    const score = await page.evaluate((glyphs) => {
      const p = window.screenPixels();
      let text = '';
      for (let cell = 0; cell < 9; cell++) {
        const at = (k) => ((10 + Math.floor(k / 10)) * 320 + 120 + cell * 10 + (k % 10)) * 4;
        const d = glyphs.findIndex((g) => g.every((c, k) => !c || [0, 1, 2].every((n) => p[at(k) + n] === c[n])));
        text += d < 0 ? '?' : d;
      }
      return text;
    }, glyphs);
    assert.match(score, /^\d{9}$/);
    assert.ok(Number(score) > 0 && Number(score) <= chop.kFastPoints, `score ${score}`);
    t.diagnostic(`score after one chop: ${score}`);
    if (process.env.WEB_SCREENSHOT) await page.screenshot({ path: process.env.WEB_SCREENSHOT });
    // Title and game music; the menu cursor's move, the signal, the chop (a
    // fast one sounds different).
    const samples = (effect) => {
      const wav = fs.readFileSync(path.join(images, '../sound/se', effect));
      return (wav.length - 44) / (2 * wav.readUInt16LE(22));  // 16-bit frames of all channels
    };
    const sounds = await page.evaluate(() => window.soundsStarted);
    assert.ok(sounds.some((s) => s.loop), 'music plays');
    const chopped = Number(score) === chop.kFastPoints ? 'kan.wav' : 'hit1.wav';
    assert.deepStrictEqual(sounds.filter((s) => !s.loop).map((s) => s.samples), ['select.wav', 'oo.wav', chopped].map(samples));
  });

  await t.test('play time and volume survive a reload, from the journal of a page closed too soon, saved in place', async () => {
    await quit();
    const first = await storedRecord();
    assert.ok(first.time > 0);
    // Settings the page journalled but never stored: the next page stores them.
    await page.evaluate(() => {
      const config = Module.FS.readFile('/save/config');
      config[240] -= 10;  // the volume
      localStorage.setItem('tavikoro-record:/save/config', btoa(String.fromCharCode(...config)));
    });
    await page.reload();
    await startGame();
    // A folder that takes no new files: the settings are written over the
    // old file in place, not renamed, and must reach IndexedDB all the same.
    await page.evaluate(() => Module.FS.chmod('/save', 0o555));
    await press(page, 'Minus');
    await quit();
    assert.deepStrictEqual(await storedRecord(), { time: first.time + (await frames(page)), volume: first.volume - 20 });
    const made = await page.evaluate(() => {
      try {
        return Module.FS.writeFile('/save/probe', 'x') || true;
      } catch (e) {
        return false;
      }
    });
    assert.strictEqual(made, false, 'the folder took a new file: the save was not written in place');
  });

  await t.test('a gamepad button starts the game and skips the logo; sound waits for a click', async () => {
    await page.evaluateOnNewDocument(() => {
      const pad = { id: 'test pad', index: 0, connected: true, axes: [0, 0], buttons: [] };
      for (let b = 0; b < 10; b++) pad.buttons.push({ pressed: false, value: 0 });
      window.pressButton = (down) => (pad.buttons[0] = { pressed: down, value: down ? 1 : 0 });
      navigator.getGamepads = () => [pad];
    });
    await page.reload();
    await untilState(page, 'ready');
    // Still held when the game samples it first: a push, as it would be at
    // a native start.
    for (const down of [true, false]) {
      await page.evaluate((d) => window.pressButton(d), down);
      await untilState(page, 'playing');
      await waitFrames(page, 3);
    }
    assert.deepStrictEqual(await differences(title), newGame);
    // Sound held back, as browsers do without a click, tap or key (chromium
    // here lets it run), comes with the next click.
    if (!cannot.sound) {
      await page.evaluate(() => void (Module.audioContext.state === 'running' && Module.audioContext.suspend()));
      await page.waitForFunction(() => Module.audioContext.state === 'suspended');
      await page.click('h1');
      await page.waitForFunction(() => Module.audioContext.state === 'running', { timeout: 5000 });
    }
    await quit();
  });

  await t.test('hidden for 5 s the game stands still and silent; closed unquit, it keeps volume and play time', async (st) => {
    if (cannot.hide) return st.skip(`${engine}: ${cannot.hide}`);
    const before = await storedRecord();
    await page.reload();
    await startGame();
    await press(page, 'Minus');
    await press(page, 'z');  // the title, with its music
    const other = await browser.newPage();
    await other.bringToFront();
    await page.waitForFunction(() => document.hidden && Module.audioContext.state === 'suspended');
    const hiddenAt = await frames(page);
    await new Promise((done) => setTimeout(done, 5000));
    assert.strictEqual(await frames(page), hiddenAt, 'no frame runs while hidden');
    // Saved as it was hidden, in the wait after its last frame, which counts
    // once it has run.
    assert.deepStrictEqual(await storedRecord(), { time: before.time + hiddenAt - 1, volume: before.volume - 10 });
    await page.bringToFront();
    await other.close();
    await waitFrames(page, 30);
    if (cannot.sound) t.diagnostic(`${engine}: sound coming back is not checked: ${cannot.sound}`);
    else assert.strictEqual(await page.evaluate(() => Module.audioContext.state), 'running');
    const ran = await frames(page);
    await reopen();
    const after = await storedRecord();
    assert.strictEqual(after.volume, before.volume - 10);
    assert.ok(after.time >= before.time + ran - 1 && after.time <= before.time + ran + 10,
              `play time ${after.time - before.time} frames for ${ran} frames run`);
  });

  // A second tab, window or installed app of the site: one game at a time,
  // and nothing the player did in either is lost.
  await t.test('a second page waits; taking over stops the first, with all it did; and back', async (st) => {
    if (cannot.hide) return st.skip(`${engine}: ${cannot.hide}`);
    const [first, ready] = [page, (p) => untilState(p, 'ready')];
    // Polled by a timer: a hidden page draws no animation frames.
    const elsewhere = (p) => p.waitForFunction(() => document.body.dataset.state === 'elsewhere' &&
                                               document.getElementById('play-here').offsetWidth, { polling: 100 });
    // Each file of save/ by name and a checksum of its bytes.
    const saves = (p) => p.evaluate(() => Module.FS.readdir('/save').filter((n) => n[0] !== '.')
                                      .map((n) => n + Module.FS.readFile('/save/' + n).reduce((h, b) => (h * 31 + b) | 0, 7)));
    await page.reload();
    await startGame();
    await page.evaluate(() => Module.recordsStored());
    const before = await storedRecord();
    const second = await openPage();
    await second.goto(url);
    await elsewhere(second);
    await first.bringToFront();
    // Every volume key, then a new game: its work records are written.
    for (const key of ['Minus', 'NumpadSubtract', 'Minus', 'NumpadSubtract', 'Equal', 'NumpadAdd', 'z', 'z']) await press(page, key);
    // The first hidden, the second shown and hidden again: it stores nothing.
    await second.bringToFront();
    await first.waitForFunction(() => document.hidden && Module.audioContext.state === 'suspended');
    const ran = await frames(page);
    await (await browser.newPage()).bringToFront();
    await first.evaluate(() => Module.recordsStored());
    assert.deepStrictEqual(await storedRecord(), { time: before.time + ran - 1, volume: before.volume - 20 });
    const files = await saves(first);
    assert.strictEqual(files.length, 3, 'settings and both work records');

    await second.bringToFront();
    await second.click('#play-here');
    await elsewhere(first);
    await ready(second);
    assert.deepStrictEqual(await saves(second), files);
    page = second;
    await startGame();
    await press(page, 'Minus');
    await quit();
    assert.ok(await page.$eval('#storage-lost', (e) => e.hidden));

    await first.bringToFront();
    await new Promise((done) => setTimeout(done, 300));
    assert.strictEqual(await first.evaluate(() => Module.frames), ran, 'the stopped game runs no frame when shown');
    await first.click('#play-here');
    await elsewhere(second);
    await ready(first);
    assert.deepStrictEqual(await saves(first), await saves(second), 'the second\'s last volume step too');
    await second.close();
    page = first;
  });

  await t.test('a slow start and late frames wait no longer than they must; music that never comes stops none', async (st) => {
    if (cannot.worker) return st.skip(`${engine}: ${cannot.worker}`);
    // The music's pack is refused once the game has started.
    const refuseMusic = await holdBack('music.pack');
    await page.goto(url);
    await untilState(page, 'ready');
    // The first 60 frames take 20 ms more where the host shows them. Each
    // sleep the game asks for: how long, after which frame, how long it took.
    await page.evaluate(() => {
      const work = (until) => { while (performance.now() < until); };
      Module.frameTimes = { push: (at) => work(at + (Module.frames <= 60 ? 20 : 0)) };
      const sleep = Module.lifecycle.sleep;
      window.sleeps = [];
      Module.lifecycle.sleep = (us, frame = Module.frames, from = performance.now()) =>
        sleep(us).then(() => window.sleeps.push({ us, frame, took: performance.now() - from }));
    });
    await startGame();
    await waitFrames(page, 65);
    const sleeps = await page.evaluate(() => window.sleeps);
    // Late from the game's start on: none sleeps, each only lets the page
    // have a turn, which no timer holds up (a nested one waits 4 ms).
    const late = sleeps.filter((s) => s.frame <= 60);
    const turns = late.slice(20).map((s) => s.took).sort((a, b) => a - b);
    t.diagnostic(`late frames: a turn takes ${turns[20].toFixed(1)} ms (median)`);
    assert.ok(turns[0] < 4, `the shortest turn took ${turns[0].toFixed(1)} ms`);
    assert.deepStrictEqual(late.map((s) => s.us), Array(60).fill(0));

    refuseMusic();
    await press(page, 'z');  // the title and its music, slot 1
    await page.waitForFunction(() => window.soundsStarted.some((s) => s.loop) && !Module.siteFiles.arrival('sound/bgm/01.ogg'));
    await press(page, 'ArrowRight');
    await press(page, 'Enter');  // stage select: leaving the title stops slot 0's music, which never came
    assert.strictEqual(await page.evaluate(() => window.musicStops), 0, 'the title\'s music goes on');
    takeComplaintsOf('music.pack');

    // Every frame late, the game only ever waits for a turn: closed, it
    // still saves within the close, before a turn that never comes; also
    // where the engine tells only pagehide.
    const before = await storedRecord();
    await page.evaluate(() => {
      Module.frameTimes = { push: (at) => { while (performance.now() < at + 20); } };
      addEventListener('visibilitychange', (e) => e.stopImmediatePropagation(), true);
    });
    await press(page, 'Minus');
    await reopen(true);
    assert.strictEqual((await storedRecord()).volume, before.volume - 10);
  });

  await t.test('#debug shows the overlay; effects that never come switch sound off; storage refused, it says so', async (st) => {
    if (cannot.worker) return st.skip(`${engine}: ${cannot.worker}`);
    const refuseEffects = await holdBack('game.pack');  // once the title plays its music
    await page.evaluateOnNewDocument(() => (indexedDB.open = () => { throw new DOMException('No', 'SecurityError'); }));
    await page.goto(url + '?debug=0#debug');  // the hash's word counts too
    await startGame();
    await press(page, 'z');
    refuseEffects();
    await page.waitForFunction(() => !Module.siteFiles.arrival('sound/se/kan.wav'));
    const sounds = await page.evaluate(() => window.soundsStarted.length);
    await press(page, 'ArrowRight');
    await press(page, 'ArrowLeft');
    await press(page, 'z');
    await waitFrames(page, 10);
    assert.ok((await overlayPixels()) > 0, 'the overlay\'s numbers are drawn over the clearing');
    assert.strictEqual(await page.evaluate(() => window.soundsStarted.length), sounds, 'no cursor tick, no game music');
    const said = await page.evaluate(() => document.body.innerText.split('\n').filter((line) => /keep/.test(line)));
    assert.deepStrictEqual(said, ['This browser will not keep your settings and results here.']);
    takeComplaintsOf('game.pack');
    complaints.splice(0, complaints.length, ...complaints.filter((c) => !/records could not/.test(c)));
  });

  await t.test('no error or warning in the console', () => {
    assert.deepStrictEqual(complaints, []);
  });
});
