// Random lives of the page: two or three tabs of the site in one chromium
// profile are opened, reloaded, closed, crashed, hidden, shown and taken
// over while the player steps the volume, chops and ends games. After every
// step what a fresh page would load (IndexedDB with the localStorage
// journal over it) is held against a model of what the player may expect.
//
//   node fuzz/lifecycle.js [--seed N] [--sequences K] [--steps M] [--pages P] [--speed S]
//
// Sequence i plays with seed N + i; a loss prints its steps and the command
// that plays that sequence again. The page's clock runs S times as fast
// (default 4) so that a whole game takes seconds. Needs the web build
// (build-web, or TAVIKORO_WEB_BUILD) and puppeteer-core in tools/browser.
'use strict';
const { frameOf, readBmp, openSite, openPage, frames: framesOf, waitFrames: waitFramesOf, press, playFrame, waitForSignal } =
  require('../tools/browser/site.js');

const kDefaults = { volume: 128, time: 0, best: 99, work: false, replay: false };
const kVolumeStep = 10;
const kReplayBytes = 144000;
const kRecordBytes = 4096;
// The frame that is running when a page saves counts only once it ends, and
// the frame counter we read is a frame ahead or behind the save: a player
// cannot tell a few frames of play time.
const kFrameSlack = 3;
const kSaveWaitMs = 5000;

function mulberry32(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Points of each scene's picture that nothing else covers much, to tell the
// scenes apart from the canvas; the result only where its picture is solid.
function sceneSignatures() {
  const rng = mulberry32(7);
  const pick = (rgb, keep) => {
    const points = [];
    while (points.length < 200) {
      const x = Math.floor(rng() * 320), y = Math.floor(rng() * 240);
      if (!keep(x, y)) continue;
      const i = (y * 320 + x) * 3;
      points.push([x, y, rgb[i], rgb[i + 1], rgb[i + 2]]);
    }
    return points;
  };
  const rgbOf = (...layers) => Buffer.from(frameOf(...layers), 'base64');
  const clear = readBmp('player/clear.bmp');
  const scoreField = (x, y) => x >= 125 && x < 215 && y >= 65 && y < 83;
  return {
    result: pick(rgbOf(['player/clear.bmp', 0, 0]), (x, y) => clear.index(x, y) !== 0 && !scoreField(x, y)),
    logo: pick(rgbOf(['a_logo.bmp', 0, 0]), () => true),
    title: pick(rgbOf(['title/title1.bmp', 0, 0]), () => true),
    game: pick(rgbOf(['bak/bak.bmp', 0, 0]), (x, y) => y > 24 && !(x >= 140 && x < 224 && y >= 90)),
  };
}

// In every page of the site, before its own scripts: the faster clock, the
// scene on the canvas, and the score the result shows.
const pageRig = (speed, signatures) => {
  const now = performance.now.bind(performance), start = now();
  performance.now = () => start + (now() - start) * speed;
  const timeout = window.setTimeout;
  window.setTimeout = (f, ms, ...rest) => timeout(f, (ms || 0) / speed, ...rest);
  window.fuzzScene = () => {
    const p = window.screenPixels();
    for (const [name, points] of Object.entries(signatures)) {
      const same = points.filter(([x, y, r, g, b]) => {
        const i = (y * 320 + x) * 4;
        return p[i] === r && p[i + 1] === g && p[i + 2] === b;
      }).length;
      if (same >= points.length * 0.85) return name;
    }
    return 'other';
  };
  addEventListener('DOMContentLoaded', () => {
    const shown = Module.onScoreShown;
    Module.onScoreShown = (score) => {
      window.fuzzScore = score;
      if (shown) shown(score);
    };
  });
};

// What a fresh page would load: IndexedDB's files with the journal's over
// them; without the journal, what IndexedDB alone holds.
const readStorage = ({ journal = true } = {}) => {
  const database = (name) =>
    new Promise((resolve) => {
      const open = indexedDB.open(name);
      open.onupgradeneeded = () => open.transaction.abort();  // none yet: make none
      open.onerror = () => resolve({});
      open.onsuccess = () => {
        const db = open.result, files = {};
        if (!db.objectStoreNames.contains('FILE_DATA')) return db.close(), resolve(files);
        const cursor = db.transaction('FILE_DATA').objectStore('FILE_DATA').openCursor();
        cursor.onsuccess = () => {
          const c = cursor.result;
          if (!c) return db.close(), resolve(files);
          if (c.value.contents) files[c.key] = Array.from(c.value.contents.subarray(0, 4096)).concat(c.value.contents.length);
          c.continue();
        };
      };
    });
  return Promise.all([database('/save'), database('/replay')]).then(([save, replay]) => {
    const files = Object.assign({}, save, replay);
    for (let i = 0; journal && i < localStorage.length; i++) {
      const key = localStorage.key(i);
      if (!key.startsWith('tavikoro-record:')) continue;
      const bytes = Array.from(atob(localStorage.getItem(key)), (c) => c.charCodeAt(0));
      files[key.substr('tavikoro-record:'.length)] = bytes.slice(0, 4096).concat(bytes.length);
    }
    return files;
  });
};

// Files as [first 4096 bytes..., length] into the values the model checks.
function recordsOf(files) {
  const config = files['/save/config'];
  const int = (i) => Buffer.from(config.slice(i * 4, i * 4 + 4)).readInt32LE(0);
  const size = (name) => (files[name] ? files[name][files[name].length - 1] : null);
  const values = config
    ? { volume: int(60), time: ((int(110) * 60 + int(109)) * 60 + int(108)) * 60 + int(107), best: int(301) }
    : { volume: kDefaults.volume, time: kDefaults.time, best: kDefaults.best };
  return Object.assign(values, {
    configSize: size('/save/config'),
    work: size('/save/work.sav') === kRecordBytes && size('/save/item_wk.sav') === kRecordBytes,
    replay: size('/replay/0/replay_data_j0.dat') === kReplayBytes,
  });
}

// What is wrong with the records found, given what must be there; null when nothing.
function lossIn(found, must, timeSeen) {
  const lost = [];
  if (found.configSize !== null && found.configSize !== kRecordBytes) lost.push(`save/config is ${found.configSize} bytes`);
  if (found.volume !== must.volume) lost.push(`volume ${found.volume}, the player last set ${must.volume}`);
  if (found.best !== must.best) lost.push(`best ${found.best}, the player's best is ${must.best}`);
  if (found.time < must.time - kFrameSlack) lost.push(`play time ${found.time} frames, saved ${must.time}`);
  if (found.time < timeSeen) lost.push(`play time went back from ${timeSeen} to ${found.time} frames`);
  if (must.work && !found.work) lost.push('the work records are gone');
  if (must.replay && !found.replay) lost.push('the replay file is gone');
  return lost.length ? lost.join('; ') : null;
}

class Lost extends Error {}

// One sequence in a fresh profile. The model: `truth` is what the player
// has done (the volume last set, the best result, every frame played);
// `saved` is the part of it a completed save holds, which nothing may take
// back. Only the page in front plays, and a page saves when it is hidden,
// closed or its game ends, so unsaved work is always the front page's: a
// crash of that page may lose it, nothing else may.
async function runSequence(site, options, seed, log) {
  const rng = mulberry32(seed);
  const pick = (list) => list[Math.floor(rng() * list.length)];
  const context = await site.browser.createBrowserContext();
  const reader = await context.newPage();
  await reader.goto(site.url + 'icon.png');  // of the site, without the game: it reads the storage
  const truth = { ...kDefaults }, saved = { ...kDefaults };
  let timeSeen = 0, front = null, events = 0;
  const tabs = [];

  const frames = (tab) => framesOf(tab.page);
  const state = (tab) => tab.page.evaluate(() => document.body.dataset.state);
  // Polled from here: timers and frames stand still in a hidden page. A
  // page may be loading anew (a stopped game taken back starts afresh).
  const until = async (what, check, ms = 60000) => {
    for (const end = Date.now() + ms; Date.now() < end; await new Promise((r) => setTimeout(r, 20)))
      if (await check().catch(() => false)) return;
    throw new Lost(`timed out waiting for ${what}`);
  };
  const waitFrames = (tab, n) => waitFramesOf(tab.page, n);
  const tap = (tab, key) => press(tab.page, key);
  // Frames the playing pages ran since we last looked are play time.
  const countFrames = async (only) => {
    for (const tab of tabs.filter((t) => t.playing && (!only || t === only))) {
      const now = await frames(tab);
      truth.time += now - tab.frames;
      tab.frames = now;
    }
  };
  // A page that saves holds all the player has done: it was the one in front.
  const save = async (tab) => {
    await countFrames(tab);
    Object.assign(saved, truth);
  };
  const check = async () => {
    let found, loss;
    const end = Date.now() + kSaveWaitMs;
    do {
      found = recordsOf(await reader.evaluate(readStorage));
      loss = lossIn(found, saved, timeSeen);
    } while (loss && Date.now() < end && (await new Promise((r) => setTimeout(r, 50)), true));
    if (loss) throw new Lost(`${loss} (found ${JSON.stringify(found)})`);
    timeSeen = found.time;
  };
  // A page that starts a game loads what is saved; the player's truth goes
  // on from there (a close may cost the frame it cut short).
  const started = async (tab) => {
    const loaded = await tab.page.evaluate(() => {
      const FS = Module.FS, has = (p) => FS.analyzePath(p).exists;
      const files = {};
      for (const p of ['/save/config', '/save/work.sav', '/save/item_wk.sav', '/replay/0/replay_data_j0.dat'])
        if (has(p)) {
          const bytes = FS.readFile(p);
          files[p] = Array.from(bytes.subarray(0, 4096)).concat(bytes.length);
        }
      return { files, frames: Module.frames || 0 };
    });
    const records = recordsOf(loaded.files);
    const loss = lossIn(records, saved, 0);
    if (loss) throw new Lost(`tab ${tab.id} started with ${loss}`);
    Object.assign(tab, { playing: true, frames: loaded.frames, volume: records.volume, best: records.best });
    truth.time = records.time;
  };
  // After a load: a page that may play is started; one that is told the
  // game plays elsewhere waits.
  const settle = async (tab) => {
    tab.playing = false;
    await until('the page to be ready', async () => ['ready', 'elsewhere'].includes(await state(tab)));
    if ((await state(tab)) !== 'ready') return;
    await tab.page.click('#message');
    await until('the game to start', async () => (await state(tab)) === 'playing');
    await started(tab);
  };
  // The page in front plays; the one it hides saves.
  const bringToFront = async (tab) => {
    const was = front && front.playing ? front : null;
    await (tab ? tab.page : reader).bringToFront();
    front = tab;
    if (was) {
      await until('the page to hide', () => was.page.evaluate(() => document.hidden), 10000);
      await save(was);
    }
    if (tab) await until('the page to show', async () => !(await tab.page.evaluate(() => document.hidden)), 10000);
  };
  const gone = async (tab, crashed) => {
    tabs.splice(tabs.indexOf(tab), 1);
    const wasFront = tab === front;
    if (wasFront && crashed && tab.playing) Object.assign(truth, saved);  // its unsaved work dies with it
    if (wasFront) front = null;
    await tab.page.close().catch(() => {});
    // The browser shows another tab in its place: the empty one, so that
    // no game plays unseen by the model.
    if (wasFront) await bringToFront(null);
  };
  const playingFront = () => (front && front.playing ? front : null);
  const scene = (tab) => tab.page.evaluate(() => window.fuzzScene());

  // Each step returns what it did, or null when it does not apply now.
  const steps = {
    async open() {
      if (tabs.length >= options.pages) return null;
      const page = await openPage(context);
      const tab = { id: (tabs.id = (tabs.id || 0) + 1), page, playing: false, crashed: false };
      page.on('error', () => (tab.crashed = true));
      await page.evaluateOnNewDocument(pageRig, options.speed, options.signatures);
      tabs.push(tab);
      await bringToFront(tab);
      await page.goto(site.url);
      await settle(tab);
      return `open tab ${tab.id}`;
    },
    async reload() {
      const tab = front;
      if (!tab) return null;
      if (tab.playing) await save(tab);
      await tab.page.reload();
      await settle(tab);
      return `reload tab ${tab.id}`;
    },
    async close() {
      if (!tabs.length) return null;
      const tab = pick(tabs);
      if (tab === front && tab.playing) await save(tab);
      await gone(tab, false);
      return `close tab ${tab.id}`;
    },
    async crash() {
      if (!tabs.length) return null;
      const tab = pick(tabs);
      const cdp = await tab.page.createCDPSession();
      cdp.send('Page.crash').catch(() => {});
      await until('the crash', async () => tab.crashed, 10000);
      await new Promise((r) => setTimeout(r, 200));
      // Tabs of one site may share a process: all of them died.
      const dead = tabs.filter((t) => t.crashed);
      for (const t of dead) await gone(t, true);
      return `crash tab ${dead.map((t) => t.id).join(', ')}`;
    },
    async hide() {
      if (!front) return null;
      const tab = front;
      await bringToFront(null);
      return `hide tab ${tab.id}`;
    },
    async show() {
      const hidden = tabs.filter((t) => t !== front);
      if (!hidden.length) return null;
      const tab = pick(hidden);
      await bringToFront(tab);
      return `show tab ${tab.id}`;
    },
    // Where the page offers to play here instead, take the game over.
    async takeOver() {
      if (!front || front.playing) return null;
      const button = await front.page.$('#play-here');
      if (!button || !(await button.isVisible())) return null;
      const tab = front;
      await button.click();
      await until('the game to move', async () => ['ready', 'playing'].includes(await state(tab)));
      for (const other of tabs) if (other.playing && (await state(other)) === 'elsewhere') other.playing = false;
      if ((await state(tab)) === 'ready') await tab.page.click('#message');
      await until('the game to start here', async () => (await state(tab)) === 'playing');
      await started(tab);
      return `take over in tab ${tab.id}`;
    },
    async volume() {
      const tab = playingFront();
      if (!tab) return null;
      const up = rng() < 0.5;
      await tap(tab, up ? 'Equal' : 'Minus');
      tab.volume = Math.max(0, Math.min(128, tab.volume + (up ? kVolumeStep : -kVolumeStep)));
      truth.volume = tab.volume;
      return `volume ${up ? 'up' : 'down'} in tab ${tab.id}`;
    },
    // Towards a game and a chop in it: Z at the logo and title, the chop at
    // the signal in the game, OK in the result.
    async chop() {
      const tab = playingFront();
      if (!tab) return null;
      const where = await scene(tab);
      if (where === 'game') {
        const signal = waitForSignal(tab.page, { polling: 20, timeout: 5000, play: options.playFrame });
        if (!(await signal.then(() => true, () => false))) return `no signal in tab ${tab.id}`;
      }
      if (where === 'result') return this.endGame(true);
      await tap(tab, 'z');
      if (where === 'title') {
        await waitFrames(tab, 3);
        truth.work = saved.work = true;  // a new game writes them, journaled at once
      }
      return `Z in the ${where} of tab ${tab.id}`;
    },
    // Escape leaves the game and the page; or the game is played to its result.
    async endGame(toResult = rng() < 0.3) {
      const tab = playingFront();
      if (!tab) return null;
      if (!toResult) {
        await countFrames();
        await tab.page.keyboard.down('Escape');
        await until('the game to end', async () => (await state(tab)) === 'ended');
        await tab.page.keyboard.up('Escape');
        await save(tab);
        tab.playing = false;
        return `Escape in tab ${tab.id}`;
      }
      for (let tries = 0; tries < 3 && (await scene(tab)) !== 'game' && (await scene(tab)) !== 'result'; tries++)
        await tap(tab, 'z');
      await tab.page.waitForFunction(() => window.fuzzScene() === 'result', { polling: 100, timeout: 120000 });
      const score = await tab.page.evaluate(() => window.fuzzScore);
      await waitFrames(tab, 62);
      await countFrames();
      const time = truth.time;  // the game saves as OK ends it, before the frames after the tap
      await tap(tab, 'z');
      await countFrames();
      if (score < tab.best) {
        tab.best = score;
        truth.replay = true;
      }
      truth.best = Math.min(truth.best, score);
      Object.assign(saved, truth, { time });
      return `result ${score} in tab ${tab.id}`;
    },
  };
  const weights = { open: 3, reload: 2, close: 1, crash: 1, hide: 2, show: 3, takeOver: 2, volume: 3, chop: 3, endGame: 1 };
  const bag = Object.entries(weights).flatMap(([name, w]) => Array(w).fill(name));

  try {
    for (let s = 0; s < options.steps; s++) {
      let done = null;
      const at = log.length;
      for (let tries = 0; !done && tries < 20; tries++) {
        const name = pick(bag);
        log[at] = `${name} (failed in it)`;
        done = await steps[name]();
      }
      if (!done) {
        log.pop();
        continue;
      }
      log[at] = done;
      events++;
      await countFrames();
      await check();
    }
    return { events, lost: null };
  } catch (e) {
    // A page that stops answering is a fault as well.
    return { events, lost: e instanceof Lost ? e.message : `stuck: ${e.message.split('\n')[0]}` };
  } finally {
    await context.close();
  }
}

function parseOptions(argv) {
  const options = { seed: Date.now() % 100000, sequences: 10, steps: 12, pages: 3, speed: 4 };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '');
    if (!(name in options) || !Number.isFinite(Number(argv[i + 1]))) throw new Error(`unknown option ${argv[i]}`);
    options[name] = Number(argv[i + 1]);
  }
  return options;
}

// Runs the sequences; the totals, with the first few losses.
async function fuzz(options, print = console.log) {
  const site = await openSite();
  options.signatures = sceneSignatures();
  options.playFrame = playFrame();
  const totals = { sequences: 0, events: 0, lost: 0, losses: [] };
  try {
    for (let i = 0; i < options.sequences; i++) {
      const seed = options.seed + i, log = [];
      const { events, lost } = await runSequence(site, options, seed, log);
      totals.sequences++;
      totals.events += events;
      if (process.env.FUZZ_VERBOSE) print(`seed ${seed}: ${log.join(', ')}`);
      if (!lost) continue;
      totals.lost++;
      totals.losses.push({ seed, steps: log, lost });
      print(`seed ${seed}: LOST after ${log.length} steps: ${lost}\n  ${log.join('\n  ')}\n` +
            `  again: node fuzz/lifecycle.js --seed ${seed} --sequences 1 --steps ${options.steps} --pages ${options.pages}`);
    }
  } finally {
    await site.close();
  }
  print(`seed ${options.seed}: ${totals.sequences} sequences, ${totals.events} events, lost: ${totals.lost}`);
  return totals;
}

module.exports = { fuzz, readStorage, recordsOf };

if (require.main === module) {
  fuzz(parseOptions(process.argv.slice(2))).then((t) => process.exit(t.lost ? 1 : 0), (e) => {
    console.error(e);
    process.exit(2);
  });
}
