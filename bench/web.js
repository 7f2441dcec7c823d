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
// in tests/web. Figures are from a shared 2-core machine: noisy.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');

const root = path.resolve(__dirname, '..');
const build = path.resolve(root, process.env.TAVIKORO_WEB_BUILD || 'build-web');
const puppeteer = require(path.join(root, 'tests/web/node_modules/puppeteer-core'));

const compressed = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.json': 'application/json' };
const floorPage = '<!doctype html><title>floor</title><script>var Module = {};</script><script src="pace_floor_web.js"></script>';

function serve() {
  const server = http.createServer((req, res) => {
    const name = path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/$/, '/index.html');
    const file = [path.join(build, 'site', name), path.join(build, 'bench', name)].find((f) => fs.existsSync(f));
    let body = name === '/floor.html' ? Buffer.from(floorPage) : file && fs.readFileSync(file);
    if (!body) return res.writeHead(404).end();
    const type = compressed[path.extname(name)];
    const headers = { 'Content-Type': type || (name.endsWith('.png') ? 'image/png' : 'application/octet-stream') };
    if (type && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      body = zlib.gzipSync(body, { level: 6 });
      headers['Content-Encoding'] = 'gzip';
    }
    res.writeHead(200, headers).end(body);
  });
  return new Promise((ready) => server.listen(0, '127.0.0.1', () => ready(server)));
}

// In the page, before its own scripts: when it became ready to start, when
// the tap came, each frame from then on, and when each sound started.
const soundLog = () => {
  new MutationObserver(() => window.readyAt || document.body.dataset.state !== 'ready' || (window.readyAt = performance.now()))
    .observe(document, { subtree: true, attributeFilter: ['data-state'] });
  addEventListener('mousedown', () => {
    window.tapAt = performance.now();
    Module.frameTimes = [];
  }, true);
  window.soundsStarted = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.soundsStarted.push({ at: performance.now(), loop: this.loop });
    return start.apply(this, args);
  };
};

async function openPage(browser, slowdown, network) {
  const context = await browser.createBrowserContext();  // nothing cached, nothing stored
  const page = await context.newPage();
  await page.setViewport({ width: 1000, height: 800 });
  await page.evaluateOnNewDocument(soundLog);
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  if (network && !process.env.UNTHROTTLED_LINK) await cdp.send('Network.emulateNetworkConditions', network);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
  return { page, cdp, close: () => context.close() };
}

const untilReady = (page) => page.waitForFunction(() => document.body.dataset.state === 'ready', { polling: 'mutation', timeout: 60000 });
const frames = (page) => page.evaluate(() => Module.frames || 0);
async function tap(page, key) {
  for (const down of [true, false]) {
    const until = (await frames(page)) + 3;
    await (down ? page.keyboard.down(key) : page.keyboard.up(key));
    await page.waitForFunction((f) => Module.frames >= f, { timeout: 60000 }, until);
  }
}

const round = (x, digits = 0) => Number(x.toFixed(digits));
const kb = (bytes) => round(bytes / 1000, 1);

async function load(runs) {
  const server = await serve();
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox', '--mute-audio'] });
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
    await untilReady(page);
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await page.waitForFunction(() => Module.frames > 190, { timeout: 60000 });  // into the title
    await page.waitForFunction(() => !Module.siteFiles.arrival('sound/bgm/01.ogg'), { timeout: 120000 });
    await new Promise((done) => setTimeout(done, 500));
    const seen = await page.evaluate(() => ({ frames: Module.frameTimes, sounds: soundsStarted, ready: readyAt, tap: tapAt }));
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
  await browser.close();
  server.close();
}

function stats(times) {
  const periods = times.slice(1).map((t, i) => t - times[i]);
  const sorted = [...periods].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  const mean = periods.reduce((a, b) => a + b, 0) / periods.length;
  return { n: periods.length, mean, p50: at(0.5), p99: at(0.99), max: sorted[sorted.length - 1], over20: periods.filter((p) => p > 20).length };
}

async function pacing(count) {
  const server = await serve();
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox', '--mute-audio'] });
  console.log('| page | CPU | periods | mean | median | 99th pct | max | over 20 ms | sleep asked | slept | work |');
  console.log('|---|---|---|---|---|---|---|---|---|---|---|');
  for (const slowdown of [1, 4]) {
    for (const kind of ['game', 'floor']) {
      const { page, close } = await openPage(browser, slowdown);
      if (kind === 'game') {
        await page.goto(url);
        await untilReady(page);
        await page.click('#message');
        await tap(page, 'z');  // the title
        await tap(page, 'z');  // a game
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
  await browser.close();
  server.close();
}

const [mode, number] = process.argv.slice(2);
if (mode === 'load') load(Number(number) || 3);
else if (mode === 'pacing') pacing(Number(number) || 700);
else console.error('usage: node bench/web.js load [RUNS] | pacing [FRAMES]');
