// The page measured in Debian's chromium, served as a common static host
// serves it (text, scripts, WebAssembly and JSON gzipped when the browser
// asks; pictures and packs as they are):
//
//   node bench/web.js load [RUNS]      on a slow phone: 4x CPU slowdown and a
//                                      slow 4G link (1.6 Mbit/s down, 150 ms);
//                                      the player taps as soon as the page lets them
//                                      (UNTHROTTLED_LINK=1: the CPU slowdown alone)
//   node bench/web.js pacing [FRAMES]  periods between presented frames in a
//                                      game, at 1x and 4x CPU slowdown, beside a
//                                      floor page that only sleeps to the same
//                                      16 ms deadlines the same way
//
// Needs the web build (build-web, or TAVIKORO_WEB_BUILD) and puppeteer-core
// in tools/browser. Figures are from a shared 2-core machine: noisy.
'use strict';
const path = require('path');
const { build, openSite, openPage: newPage, untilState, press } = require('../tools/browser/site.js');

const floorPage = '<!doctype html><title>floor</title><script>var Module = {};</script><script src="pace_floor_web.js"></script>';
// As a common static host serves it, with the frame-pacing floor beside it.
const serve = () => openSite(null, { gzip: true, also: { folders: [path.join(build, 'bench')], pages: { '/floor.html': floorPage } } });

// In the page, before its own scripts: when it became ready to start, when
// the tap came, and each frame from then on.
const tapLog = () => {
  new MutationObserver(() => window.readyAt || document.body.dataset.state !== 'ready' || (window.readyAt = performance.now()))
    .observe(document, { subtree: true, attributeFilter: ['data-state'] });
  addEventListener('mousedown', () => {
    window.tapAt = performance.now();
    Module.frameTimes = [];
  }, true);
};

async function openPage(browser, slowdown, network) {
  const context = await browser.createBrowserContext();  // nothing cached, nothing stored
  const page = await newPage(context);
  await page.evaluateOnNewDocument(tapLog);
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  if (network && !process.env.UNTHROTTLED_LINK) await cdp.send('Network.emulateNetworkConditions', network);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
  return { page, cdp, close: () => context.close() };
}

const round = (x, digits = 0) => Number(x.toFixed(digits));
const kb = (bytes) => round(bytes / 1000, 1);

async function load(runs) {
  const { browser, url, close: closeSite } = await serve();
  const slow4g = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 };
  // A freshly started chromium takes ~0.8 s for its first AudioContext (its
  // audio service starting), a browser that has played sound before ~10 ms:
  // measured after one, as a phone's browser that has played sound before.
  if (!process.env.COLD_AUDIO) {
    const warm = await browser.newPage();
    await warm.evaluate(() => new AudioContext().close());
    await warm.close();
  }
  console.log('| run | page ready | tap to first frame | first frame, tapping at once (as tapped) | bytes before it (as tapped) | title | logo frame period | its music | all loaded | bytes in all |');
  console.log('|---|---|---|---|---|---|---|---|---|---|');
  for (let run = 1; run <= runs; run++) {
    const { page, cdp, close } = await openPage(browser, 4, slow4g);
    // Every byte the browser took in, by the page's clock (CDP counts from
    // the document's request, which is where the page's clock starts).
    const received = [];
    let origin = null;
    cdp.on('Network.requestWillBeSent', (e) => origin === null && (origin = e.timestamp));
    cdp.on('Network.dataReceived', (e) => received.push({ at: e.timestamp, bytes: e.encodedDataLength, id: e.requestId }));
    cdp.on('Network.loadingFinished', (e) => received.push({ at: e.timestamp, total: e.encodedDataLength, id: e.requestId }));
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    // Where to tap is known before the page is ready: the tap then costs
    // one round of input events, not a search for the element.
    const box = await page.$eval('#message', (m) => m.getBoundingClientRect().toJSON());
    await untilState(page, 'ready');
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await page.waitForFunction(() => Module.frames > 190, { timeout: 60000 });  // into the title
    await page.waitForFunction(() => !Module.siteFiles.arrival('sound/bgm/01.ogg'), { timeout: 120000 });
    await new Promise((done) => setTimeout(done, 500));
    const seen = await page.evaluate(() => ({ frames: Module.frameTimes, sounds: window.soundsStarted, ready: window.readyAt, tap: window.tapAt }));
    // The logo's 182 frames, then the title's first; the title starts its
    // music just before that frame is shown, if the music is there.
    const [first, title] = [seen.frames[0], seen.frames[182]];
    const music = seen.sounds.find((s) => s.loop);
    const bytesBy = (ms) => {
      // A chunk counts once; a finished request that reported no chunks
      // counts whole when it finished.
      const chunked = {};
      let sum = 0;
      for (const r of received) {
        if (r.bytes !== undefined) chunked[r.id] = (chunked[r.id] || 0) + r.bytes;
        if ((r.at - origin) * 1000 > ms) continue;
        if (r.bytes !== undefined) sum += r.bytes;
      }
      for (const r of received) {
        if (r.total === undefined || (r.at - origin) * 1000 > ms) continue;
        sum += Math.max(0, r.total - (chunked[r.id] || 0));  // headers, or all of it
      }
      return sum;
    };
    const last = (Math.max(...received.map((r) => r.at)) - origin) * 1000;
    // This script taps some 0.2 to 0.4 s after the page is ready (it learns
    // of it late through the throttled page): a player tapping at once sees
    // the first frame that much sooner.
    const tapped = seen.ready + first - seen.tap;
    console.log(`| ${run} | ${round(seen.ready)} ms | ${round(first - seen.tap)} ms | ${round(tapped)} ms (${round(first)} ms) | ` +
                `${kb(bytesBy(tapped))} kB (${kb(bytesBy(first))} kB) | ${round(title)} ms | ${round((title - first) / 182, 1)} ms | ` +
                `${music ? (music.at <= title ? 'with it' : round(music.at - title) + ' ms late') : 'never'} | ${round(last)} ms | ${kb(bytesBy(Infinity))} kB |`);
    await close();
  }
  await closeSite();
}

function stats(times) {
  const periods = times.slice(1).map((t, i) => t - times[i]);
  const sorted = [...periods].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  const mean = periods.reduce((a, b) => a + b, 0) / periods.length;
  return { n: periods.length, mean, p50: at(0.5), p99: at(0.99), max: sorted[sorted.length - 1], over20: periods.filter((p) => p > 20).length };
}

async function pacing(count) {
  const { browser, url, close: closeSite } = await serve();
  console.log('| page | CPU | periods | mean | median | 99th pct | max | over 20 ms | sleep asked | slept | work |');
  console.log('|---|---|---|---|---|---|---|---|---|---|---|');
  for (const slowdown of [1, 4]) {
    for (const kind of ['game', 'floor']) {
      const { page, close } = await openPage(browser, slowdown);
      if (kind === 'game') {
        await page.goto(url);
        await untilState(page, 'ready');
        await page.click('#message');
        await press(page, 'z');  // the title
        await press(page, 'z');  // a game
      } else {
        await page.goto(url + 'floor.html');
      }
      await page.waitForFunction(() => Module.frames > 10, { timeout: 60000 });
      // Each sleep the frame wait asked for and took: the rest of a period is work.
      await page.evaluate(() => {
        const sleep = Module.lifecycle.sleep;
        window.sleeps = [];
        Module.lifecycle.sleep = (ms) => {
          const from = performance.now();
          return sleep(ms).then(() => ms > 0 && window.sleeps.push([ms / 1000, performance.now() - from]));
        };
        Module.frameTimes = [];
      });
      await page.waitForFunction((n) => Module.frameTimes.length > n, { timeout: 120000, polling: 1000 }, count);
      const { times, sleeps } = await page.evaluate(() => ({ times: Module.frameTimes, sleeps: window.sleeps }));
      const s = stats(times);
      const asked = sleeps.reduce((a, [ms]) => a + ms, 0) / sleeps.length;
      const slept = sleeps.reduce((a, [, took]) => a + took, 0) / sleeps.length;
      console.log(`| ${kind} | ${slowdown}x | ${s.n} | ${round(s.mean, 2)} ms | ${round(s.p50, 2)} ms | ${round(s.p99, 2)} ms | ` +
                  `${round(s.max, 1)} ms | ${s.over20} | ${round(asked, 2)} ms | ${round(slept, 2)} ms | ${round(s.mean - slept, 2)} ms |`);
      await close();
    }
  }
  await closeSite();
}

const [mode, number] = process.argv.slice(2);
if (mode === 'load') load(Number(number) || 3);
else if (mode === 'pacing') pacing(Number(number) || 700);
else console.error('usage: node bench/web.js load [RUNS] | pacing [FRAMES]');
