// The game on a phone: chromium with touch, a portrait and a landscape
// screen at three device pixels to the CSS pixel, each with a notch's safe
// area, played by taps alone in one long run, every tap for the one button
// below or beside the picture: sound from the first tap, the logo skipped, the menu, stage select
// and back, a turn of the phone, scoring chops that vibrate (a touch that
// begins and ends between two frames is not seen), the result shared and
// left for the title; the page
// neither scrolls nor zooms, keeps the screen awake, is installable, and
// plays again with the server gone.
// Usage: node --test tests/web/phone_test.js; PHONE_SCREENSHOTS names a
// folder for phone-portrait.png and phone-landscape.png.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const { frameOf, openSite, openPage, untilState, waitFrames, hold, differencesOf, waitForSignal } = require('../../tools/browser/site.js');

const portrait = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const landscape = { ...portrait, width: 844, height: 390 };
const upright = { top: 47, right: 0, bottom: 34, left: 0 };
const onItsSide = { top: 0, right: 47, bottom: 21, left: 47 };

// In the page: what the phone was asked for, every frame put on the canvas
// (when, and a fingerprint of its pixels), and every touch with the frame
// count at its start and end.
const phoneHelpers = () => {
  window.asked = { vibrate: 0, wakeLock: 0, shared: null };
  navigator.vibrate = () => ++window.asked.vibrate > 0;
  const lock = { release: async () => {} };
  Object.defineProperty(navigator, 'wakeLock', { value: { request: async () => (window.asked.wakeLock++, lock) } });
  navigator.canShare = (data) => data.files.length === 1;
  navigator.share = async (data) => {
    window.asked.shared = { text: data.text, png: window.base64(new Uint8Array(await data.files[0].arrayBuffer())) };
  };
  window.base64 = (bytes) => btoa(Array.from(bytes, (b) => String.fromCharCode(b)).join(''));
  window.shown = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    let hash = 0;
    for (let i = 0; i < image.data.length; i += 4) hash = (hash * 31 + image.data[i] + 7 * image.data[i + 1]) | 0;
    window.shown.push({ at: performance.now(), hash });
    return put.call(this, image, ...rest);
  };
  window.touches = [];
  const touches = window.touches;
  addEventListener('pointerdown', (e) => touches.push({ at: e.timeStamp, seen: performance.now(), frames: Module.frames }), true);
  addEventListener('pointerup', (e) => (touches[touches.length - 1].framesUp = Module.frames), true);
};

test('the game on a phone', async (t) => {
  const { browser, stop, url } = await openSite(t);
  const complaints = [];
  const page = await openPage(browser, { viewport: portrait, complaints });
  await page.evaluateOnNewDocument(phoneHelpers);
  const cdp = await page.createCDPSession();
  const turn = (viewport, insets) => cdp.send('Emulation.setSafeAreaInsetsOverride', { insets }).then(() => page.setViewport(viewport));
  const box = (selector) => page.$eval(selector, (e) => e.getBoundingClientRect().toJSON());
  const centre = async (selector) => {
    const b = await box(selector);
    return [b.x + b.width / 2, b.y + b.height / 2];
  };
  // A tap as a finger makes one, 50 ms or so: down across a few frames; on
  // a control, or at the spare point, which is the one button.
  let spare;
  const tap = async (selector) => {
    const at = selector ? await centre(selector) : spare;
    await hold(page, () => page.touchscreen.touchStart(...at), () => page.touchscreen.touchEnd());
  };
  // Every control finger-sized, 8 px from the next, clear of the notch's
  // insets and of the spare point; the pads low, where thumbs are.
  const controls = async (insets) => {
    const all = await page.$$eval('button', (b) => b.filter((e) => e.offsetWidth).map((e) => e.getBoundingClientRect().toJSON()));
    const { width, height } = page.viewport();
    all.forEach((b, i) => {
      assert.ok(b.width >= 48 && b.height >= 48 && b.left >= insets.left && b.top >= insets.top && b.right <= width - insets.right &&
                b.bottom <= height - insets.bottom && !(Math.abs(spare[0] - b.x - b.width / 2) < b.width / 2 + 8 &&
                Math.abs(spare[1] - b.y - b.height / 2) < b.height / 2 + 8), `sized, placed: ${JSON.stringify(b)}`);
      for (const c of all.slice(i + 1))
        assert.ok(Math.max(c.left - b.right, b.left - c.right, c.top - b.bottom, b.top - c.bottom) >= 8, `apart: ${JSON.stringify(b)}`);
    });
    for (const pad of ['#moves', '#others']) assert.ok((await box(pad)).bottom >= height - insets.bottom - 24, `${pad} low`);
  };
  const play = async () => {
    await page.touchscreen.tap(...spare);  // no frames run before it
    await state('playing');
  };
  const asked = () => page.evaluate(() => window.asked);
  const state = (s) => untilState(page, s);
  const title = frameOf(['title/title1.bmp', 0, 0]);
  const differences = (expected) => differencesOf(page, expected);
  // The picture in device pixels, each game pixel a square of them.
  const picture = async (factor) => {
    const b = await box('#screen');
    assert.deepStrictEqual([b.width * 3, b.height * 3].map(Math.round), [320 * factor, 240 * factor]);
    // Where its first device pixel lies is the browser's choice: at its box
    // or at the whole CSS pixel nearest to it.
    const shot = await page.screenshot({ encoding: 'base64' });
    const unsharp = await page.evaluate(async (s, k, lefts, tops) => {
      const [p, q] = [await window.pngPixels(s), window.screenPixels()];
      const count = (left, top) => {
        let n = 0;
        for (let y = 0; y < 240 * k; y++)
          for (let x = 0; x < 320 * k; x++) {
            const i = ((top + y) * innerWidth * 3 + left + x) * 4, j = (Math.floor(y / k) * 320 + Math.floor(x / k)) * 4;
            n += [0, 1, 2].some((c) => p[i + c] !== q[j + c]);
          }
        return n;
      };
      return Math.min(...lefts.flatMap((left) => tops.map((top) => count(left, top))));
    }, shot, factor, ...[b.x, b.y].map((at) => [Math.round(at * 3), Math.round(at) * 3]));
    assert.strictEqual(unsharp, 0, 'every game pixel a square of device pixels');
    return b;
  };
  const screenshot = (name) =>
    process.env.PHONE_SCREENSHOTS && page.screenshot({ path: path.join(process.env.PHONE_SCREENSHOTS, name) });

  // Upright: below the picture, between the buttons at the bottom.
  const standUp = async () => (spare = [portrait.width / 2, (await centre('#moves'))[1]]);
  await turn(portrait, upright);
  await page.goto(url);
  await state('ready');
  await standUp();
  await controls(upright);
  assert.strictEqual(await page.$eval('#text', (e) => e.textContent), 'Tap to play');
  assert.deepStrictEqual(await page.$$eval('#keys span', (s) => s.map((e) => e.offsetWidth > 0)), [false, true]);
  await play();
  assert.strictEqual(await page.evaluate(() => Module.audioContext.state), 'running', 'sound from the first tap');
  assert.strictEqual((await asked()).wakeLock, 1);

  // Portrait: 3 device pixels a game pixel, the controls under the picture.
  await waitFrames(page, 2);
  const shown = await picture(3);
  // A finger dragged on the page is still a push (the logo ends), and
  // drags and double taps on the controls move neither the page nor its zoom.
  const drag = async (selector) => {
    const [x, y] = selector ? await centre(selector) : spare;
    await page.touchscreen.touchStart(x, y);
    await waitFrames(page, 2);
    await page.touchscreen.touchMove(x + 40, y - 200);
    await page.touchscreen.touchEnd();
    await waitFrames(page, 3);
  };
  await drag();
  await drag('#others button');
  const newGame = await differences(title);
  assert.ok(newGame.count > 0 && newGame.count <= 32 * 4, 'at the title, on NEW GAME');
  for (const control of ['#moves button:last-child', '#moves button:last-child', '#moves button'])
    await tap(control);
  assert.ok((await differences(title)).left > newGame.right, 'right, right, left: on STAGE');
  const still = await page.evaluate(() => [scrollX, scrollY, visualViewport.scale, document.scrollingElement.scrollTop]);
  assert.deepStrictEqual(still, [0, 0, 1, 0]);
  assert.deepStrictEqual(await box('#screen'), shown);
  await screenshot('phone-portrait.png');
  await tap();
  assert.strictEqual((await differences(frameOf(['title/stageselect.bmp', 0, 0]))).count, 0);
  await tap('#others button');
  assert.deepStrictEqual(await differences(title), newGame, 'back from stage select');

  // Time from a tap on the menu moves to the first frame with the cursor
  // moved, and how many frames reached the canvas before it.
  const delays = await page.evaluate(() => {
    const put = window.shown;
    const periods = put.slice(1).map((f, i) => f.at - put[i].at).sort((a, b) => a - b);
    return window.touches.slice(3, 6).map((tap) => {
      const next = put.findIndex((f) => f.at > tap.at);
      const i = put.findIndex((f, i) => i >= next && f.hash !== put[i - 1].hash);
      return `${Math.round(put[i].at - tap.at)} ms (page saw it at ${Math.round(tap.seen - tap.at)}; ${i - next} frames before)`;
    }).concat(`frames ${periods[periods.length >> 1].toFixed(1)} ms apart (median)`);
  });
  t.diagnostic(`tap to frame: ${delays.join(', ')}`);

  // Turned: 4 device pixels a game pixel, the controls beside it. A game.
  await turn(landscape, onItsSide);
  await waitFrames(page, 2);
  const turned = await picture(4);
  assert.ok((await box('#moves')).right <= turned.left && (await box('#others')).left >= turned.right);
  // Beside the picture, above the buttons on the right.
  spare = [(turned.right + landscape.width - onItsSide.right) / 2, turned.top + turned.height / 4];
  await controls(onItsSide);
  await tap();
  await waitForSignal(page);
  await page.touchscreen.tap(...spare);
  await waitFrames(page, 3);
  const quick = await page.evaluate(() => window.touches[window.touches.length - 1]);
  assert.strictEqual(quick.framesUp, quick.frames, 'down and up within one frame');
  assert.strictEqual((await asked()).vibrate, 0, 'a touch between two samples is not seen');
  await tap();
  assert.strictEqual((await asked()).vibrate, 1, 'the tap scored');
  await screenshot('phone-landscape.png');
  await tap();
  assert.strictEqual((await asked()).vibrate, 1, 'no signal, no score');
  await waitForSignal(page);
  await tap();
  assert.strictEqual((await asked()).vibrate, 2);

  // The result: its score and picture shared, then a tap for the title.
  await page.waitForFunction(() => !document.getElementById('share').classList.contains('unused'), { timeout: 70000 });
  const score = (await page.$eval('#share', (e) => e.textContent)).match(/^Share (\d+)$/)[1];
  assert.ok(score >= 20, `score ${score}`);
  await waitFrames(page, 61);
  await tap('#share');
  const { shared } = await asked();
  assert.match(shared.text, new RegExp(`\\b${score} points.*${url}`));
  assert.strictEqual(await page.evaluate(async (s) => (await window.pngPixels(s)).length, shared.png), 320 * 240 * 4);
  const result = await page.evaluate(async (s) => window.base64((await window.pngPixels(s)).filter((_, i) => i % 4 < 3)), shared.png);
  assert.strictEqual((await differences(result)).count, 0, 'the result screen as shared');
  await tap();
  await waitFrames(page, 4);
  assert.deepStrictEqual(await differences(title), newGame, 'back at the title');

  await page.evaluate(() => navigator.serviceWorker.ready);
  assert.deepStrictEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
  assert.deepStrictEqual(complaints, []);

  // No server: the page, the game and its sound come from what the site
  // kept; a game upright again.
  stop();
  await turn(portrait, upright);
  await page.reload();
  await state('ready');
  await standUp();
  await play();
  await tap();
  assert.deepStrictEqual(await differences(title), newGame);
  await tap();
  await waitForSignal(page);
  await tap();
  assert.strictEqual((await asked()).vibrate, 1);
  await page.touchscreen.touchStart(...(await centre('#others .quit')));
  await state('ended');
  await page.touchscreen.touchEnd();
});
