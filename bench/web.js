// The page measured in the rig's browser (TAVIKORO_ENGINE: chromium,
// firefox or webkit), served as a common static host serves it (text,
// scripts, WebAssembly and JSON gzipped when the browser asks; pictures and
// packs as they are):
//
//   node bench/web.js load [RUNS]      unthrottled, and in chromium also on a
//                                      slow phone: 4x CPU slowdown and a slow 4G
//                                      link (1.6 Mbit/s down, 150 ms); the player
//                                      taps as soon as the page lets them
//                                      (UNTHROTTLED_LINK=1: the CPU slowdown alone)
//   node bench/web.js pacing [FRAMES]  periods between presented frames in a
//                                      game (chromium: at 1x and 4x CPU slowdown),
//                                      each beside a floor page that only sleeps
//                                      to the same 16 ms deadlines the same way
//                                      (PROBE_CANVAS=hidden or unscaled: the
//                                      game's picture so)
//
// Needs the web build (build-web, or TAVIKORO_WEB_BUILD) and puppeteer-core
// in tools/browser; webkit under xvfb-run -a. Figures are from a shared
// 2-core machine: noisy.
'use strict';
const path = require('path');
const fs = require('fs');
const os = require('os');
const { engine, build, openSite, openPage: newPage, untilState, press } = require('../tools/browser/site.js');

// Only chromium's automation (CDP) slows the CPU and the link and counts the
// bytes; firefox over BiDi and WebKit over WebDriver offer neither, so they
// are measured unthrottled, and the floor page beside the game in the same
// run is what makes their frame periods comparable.
const cdp = engine === 'chromium';
const slow4g = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 };
const profiles = cdp ? [{ cpu: 1 }, { cpu: 4, link: process.env.UNTHROTTLED_LINK ? null : slow4g }] : [{ cpu: 1 }];
const profileName = ({ cpu, link }) => `${engine} ${cpu}x${link ? ', slow 4G' : ''}`;

// In the page, before its own scripts: when it became ready to start, when
// the tap came, and each frame from then on. It is served inside the page,
// as WebDriver runs nothing before a page's own scripts.
const tapLog = () => {
  new MutationObserver(() => window.readyAt || document.body.dataset.state !== 'ready' || (window.readyAt = performance.now()))
    .observe(document, { subtree: true, attributeFilter: ['data-state'] });
  addEventListener('mousedown', () => {
    window.tapAt = performance.now();
    Module.frameTimes = [];
  }, true);
};
const floorPage = '<!doctype html><title>floor</title><script>var Module = {};</script><script src="pace_floor_web.js"></script>';
const gamePage = fs.readFileSync(path.join(build, 'site/index.html'), 'utf8').replace('<head>', `<head>\n<script>(${tapLog})();</script>`);
// As a common static host serves it, with the frame-pacing floor beside it.
const serve = async () => {
  const site = await openSite(null, { gzip: true, also: { folders: [path.join(build, 'bench')],
                                                          pages: { '/index.html': gamePage, '/floor.html': floorPage } } });
  console.log(`${await site.browser.version()}; ${cdp ? 'CPU and link slowed through CDP' : 'no CPU or network throttling in automation: measured unthrottled'}; ` +
              `load average ${os.loadavg()[0]}`);
  return { ...site, close: () => site.close().then(() => console.log(`load average ${os.loadavg()[0]}`)) };
};

async function openPage(browser, { cpu, link }) {
  const context = await browser.createBrowserContext();  // nothing cached, nothing stored
  // A freshly started chromium takes ~0.8 s for its first AudioContext (its
  // audio service starting), a browser that has played sound before ~10 ms:
  // measured after one, as a phone's browser that has played sound before.
  if (!process.env.COLD_AUDIO) {
    const warm = await context.newPage();
    await warm.evaluate(() => new AudioContext().close());
    await warm.close();
  }
  const page = await newPage(context);
  if (page.setCacheEnabled) await page.setCacheEnabled(false);  // WebKit's context is a browser of its own
  if (!cdp) return { page, close: () => context.close() };
  const session = await page.createCDPSession();
  await session.send('Network.enable');
  if (link) await session.send('Network.emulateNetworkConditions', link);
  await session.send('Emulation.setCPUThrottlingRate', { rate: cpu });
  return { page, cdp: session, close: () => context.close() };
}

const round = (x, digits = 0) => Number(x.toFixed(digits));
const kb = (bytes) => round(bytes / 1000, 1);

async function load(runs) {
  const { browser, url, close: closeSite } = await serve();
  console.log('| profile | run | page ready | tap to first frame | first frame, tapping at once (as tapped) | bytes before it (as tapped) | title | logo frame period | its music | all loaded | bytes in all |');
  console.log('|---|---|---|---|---|---|---|---|---|---|---|');
  for (const profile of profiles) for (let run = 1; run <= runs; run++) {
    const { page, cdp: session, close } = await openPage(browser, profile);
    // Every byte the browser took in, by the page's clock (CDP counts from
    // the document's request, which is where the page's clock starts).
    const received = [];
    let origin = null;
    if (session) {
      session.on('Network.requestWillBeSent', (e) => origin === null && (origin = e.timestamp));
      session.on('Network.dataReceived', (e) => received.push({ at: e.timestamp, bytes: e.encodedDataLength, id: e.requestId }));
      session.on('Network.loadingFinished', (e) => received.push({ at: e.timestamp, total: e.encodedDataLength, id: e.requestId }));
    }
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    // Where to tap is known before the page is ready: the tap then costs
    // one round of input events, not a search for the element.
    const box = await page.$eval('#message', (m) => m.getBoundingClientRect().toJSON());
    await untilState(page, 'ready');
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await page.waitForFunction(() => Module.frames > 190, { timeout: 60000 });  // into the title
    await page.waitForFunction(() => !Module.siteFiles.arrival('sound/bgm/01.ogg'), { timeout: 120000 });
    await new Promise((done) => setTimeout(done, 500));
    const seen = await page.evaluate(() => ({ frames: Module.frameTimes, sounds: window.soundsStarted, ready: window.readyAt, tap: window.tapAt,
                                              arrived: Math.max(...performance.getEntriesByType('resource').map((r) => r.responseEnd)) }));
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
    const bytes = (ms) => (session ? `${kb(bytesBy(ms))} kB` : 'n/a');
    // This script taps some 0.2 to 0.4 s after the page is ready (it learns
    // of it late through the throttled page): a player tapping at once sees
    // the first frame that much sooner.
    const tapped = seen.ready + first - seen.tap;
    console.log(`| ${profileName(profile)} | ${run} | ${round(seen.ready)} ms | ${round(first - seen.tap)} ms | ${round(tapped)} ms (${round(first)} ms) | ` +
                `${bytes(tapped)} (${bytes(first)}) | ${round(title)} ms | ${round((title - first) / 182, 1)} ms | ` +
                `${music ? (music.at <= title ? 'with it' : round(music.at - title) + ' ms late') : 'never'} | ${round(seen.arrived)} ms | ${bytes(Infinity)} |`);
    await close();
  }
  await closeSite();
}

const mean = (values) => values.reduce((a, b) => a + b, 0) / values.length;
const percentile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const ms = (x) => `${round(x, 2)} ms`;

async function pacing(count) {
  const { browser, url, close: closeSite } = await serve();
  console.log('| page | profile | periods | mean | median | 95th pct | 99th pct | max | over 20 ms | sleep asked | slept | ' +
              'timer late (mean, 99th) | present (mean, 99th) | work |');
  console.log('|---|---|---|---|---|---|---|---|---|---|---|---|---|---|');
  for (const { cpu } of profiles) {
    for (const kind of ['game', 'floor']) {
      const { page, close } = await openPage(browser, { cpu });
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
      // Each sleep the frame wait asked for (in microseconds; the timer gets
      // whole milliseconds, rounded up) and took, and each frame put on the
      // canvas: the rest of a period is the frame's own work.
      await page.evaluate((probe) => {
        // Whether painting the enlarged picture costs the page's thread:
        // PROBE_CANVAS=hidden or unscaled.
        const screen = document.getElementById('screen');
        if (screen && probe) screen.style[probe === 'hidden' ? 'visibility' : 'transform'] = probe === 'hidden' ? 'hidden' : 'none';
        const sleep = Module.lifecycle.sleep;
        window.sleeps = [];
        Module.lifecycle.sleep = (us) => {
          const from = performance.now();
          return sleep(us).then(() => us > 0 && window.sleeps.push([us / 1000, performance.now() - from]));
        };
        window.presents = [];
        const put = CanvasRenderingContext2D.prototype.putImageData;
        CanvasRenderingContext2D.prototype.putImageData = function (...args) {
          const from = performance.now();
          put.apply(this, args);
          window.presents.push(performance.now() - from);
        };
        Module.frameTimes = [];
      }, process.env.PROBE_CANVAS || null);
      await page.waitForFunction((n) => Module.frameTimes.length > n, { timeout: 120000, polling: 1000 }, count);
      const { times, sleeps, presents } = await page.evaluate(() => ({ times: Module.frameTimes, sleeps: window.sleeps, presents: window.presents }));
      const periods = times.slice(1).map((t, i) => t - times[i]);
      const late = sleeps.map(([asked, took]) => took - Math.ceil(asked));
      const slept = mean(sleeps.map(([, took]) => took));
      const present = presents.length ? `${ms(mean(presents))}, ${ms(percentile(presents, 0.99))}` : 'none';
      console.log(`| ${kind} | ${profileName({ cpu })} | ${periods.length} | ${ms(mean(periods))} | ${ms(percentile(periods, 0.5))} | ` +
                  `${ms(percentile(periods, 0.95))} | ${ms(percentile(periods, 0.99))} | ${ms(Math.max(...periods))} | ` +
                  `${periods.filter((p) => p > 20).length} | ${ms(mean(sleeps.map(([asked]) => asked)))} | ${ms(slept)} | ` +
                  `${ms(mean(late))}, ${ms(percentile(late, 0.99))} | ${present} | ${ms(mean(periods) - slept)} |`);
      await close();
    }
  }
  await closeSite();
}

const [mode, number] = process.argv.slice(2);
if (mode === 'load') load(Number(number) || 3);
else if (mode === 'pacing') pacing(Number(number) || 600);
else console.error('usage: node bench/web.js load [RUNS] | pacing [FRAMES]');
