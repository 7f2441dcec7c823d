// WebKitGTK's MiniBrowser on a virtual display, driven by WebKitWebDriver
// over plain WebDriver: the few things of a puppeteer browser and page that
// the browser tests use. WebDriver runs no script before a page's own, so
// the helpers (and whatever a test adds for new documents) go in at the
// first call after each load, before any click starts the game; what the
// console says before then is not seen.
'use strict';
const { spawn } = require('node:child_process');
const net = require('node:net');

const miniBrowser = process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const element = 'element-6066-11e4-a52e-4f735466cecf';
const keyCodes = { Enter: '\uE007', Escape: '\uE00C', ' ': '\uE00D', ArrowLeft: '\uE012', ArrowUp: '\uE013',
                   ArrowRight: '\uE014', ArrowDown: '\uE015', NumpadAdd: '\uE025', NumpadSubtract: '\uE027',
                   Minus: '-', Equal: '=', Alt: '\uE00A' };

const freePort = () => new Promise((done) => {
  const s = net.createServer().listen(0, '127.0.0.1', () => {
    const { port } = s.address();
    s.close(() => done(port));
  });
});

// Console errors and warnings, and uncaught errors, kept for the next call.
const listen = () => {
  window.said = [];
  for (const type of ['error', 'warn']) {
    const say = console[type];
    console[type] = (...args) => (window.said.push({ type, text: args.join(' ') }), say.apply(console, args));
  }
  window.addEventListener('error', (e) => window.said.push({ type: 'pageerror', text: e.message }));
  window.addEventListener('unhandledrejection', (e) => window.said.push({ type: 'pageerror', text: String(e.reason) }));
};

async function launch() {
  const port = await freePort();
  const driver = spawn('xvfb-run', ['-a', '-s', '-screen 0 1280x1024x24', 'WebKitWebDriver', `--port=${port}`],
                       { detached: true, stdio: 'ignore' });
  const call = async (method, where, body) => {
    const answer = await fetch(`http://127.0.0.1:${port}${where}`, { method, body: body && JSON.stringify(body),
                                                                    headers: { 'Content-Type': 'application/json' } });
    const { value } = await answer.json();
    if (value && value.error) throw new Error(`${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; !(await call('GET', '/status').catch(() => null)); tries++) {
    if (tries > 100) throw new Error('WebKitWebDriver did not start');
    await new Promise((done) => setTimeout(done, 100));
  }
  const { sessionId, capabilities } = await call('POST', '/session', {
    capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] } } } });
  const session = `/session/${sessionId}`;
  // The session's first window stays open and blank: closing the last one
  // would end the session.
  const first = await call('GET', `${session}/window`);
  let current = first;
  const use = async (handle) => {
    if (handle !== current) await call('POST', `${session}/window`, { handle });
    current = handle;
  };

  const newPage = async () => {
    const { handle } = await call('POST', `${session}/window/new`, { type: 'window' });
    await use(handle);
    const onNewDocument = [], listeners = { console: [], pageerror: [] };
    const on = (event, listener) => listeners[event].push(listener);
    const run = async (fn, args) => {
      await use(handle);
      const prepare = `if (!window.said) { (${listen})(); ${onNewDocument.map((f) => `(${f})();`).join('')} }`;
      const script = `${prepare} return (async (args) => ({ value: await (${fn})(...args), said: window.said.splice(0) }))` +
                     '(Array.from(arguments));';
      const { value, said } = await call('POST', `${session}/execute/sync`, { script, args });
      for (const s of said)
        for (const l of s.type === 'pageerror' ? listeners.pageerror : listeners.console)
          l({ type: () => s.type, text: () => s.text, message: s.text });
      return value;
    };
    const keys = (type, key) => call('POST', `${session}/actions`, {
      actions: [{ type: 'key', id: 'keyboard', actions: [{ type, value: keyCodes[key] || key }] }] });
    const page = {
      on,
      evaluateOnNewDocument: async (fn) => onNewDocument.push(fn),
      evaluate: (fn, ...args) => run(fn, args),
      $eval: (selector, fn) => run(`(s) => (${fn})(document.querySelector(s))`, [selector]),
      waitForFunction: async (fn, { polling = 20, timeout = 30000 } = {}, ...args) => {
        for (const end = Date.now() + timeout; ; await new Promise((done) => setTimeout(done, Number(polling) || 20))) {
          const value = await run(fn, args);
          if (value) return value;
          if (Date.now() > end) throw new Error(`waiting for ${fn} timed out`);
        }
      },
      goto: async (url) => (await use(handle), call('POST', `${session}/url`, { url })),
      reload: async () => (await use(handle), call('POST', `${session}/refresh`, {})),
      bringToFront: () => use(handle),
      // Back to the first window: a new one is opened from the current.
      close: async () => (await use(handle), await call('DELETE', `${session}/window`), use(first)),
      keyboard: { down: (key) => keys('keyDown', key), up: (key) => keys('keyUp', key) },
      mouse: {
        click: async (x, y) => (await use(handle), call('POST', `${session}/actions`, {
          actions: [{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' },
                      actions: [{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport' },
                                { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }] }] })),
      },
      click: async (selector) => {
        const found = await run((s) => document.querySelector(s), [selector]);
        await call('POST', `${session}/element/${found[element]}/click`, {});
      },
      // The page's inner size, through the window's.
      setViewport: async ({ width, height }) => {
        await use(handle);
        const rect = await call('GET', `${session}/window/rect`);
        const inner = await run(() => [innerWidth, innerHeight], []);
        await call('POST', `${session}/window/rect`, { width: rect.width + width - inner[0], height: rect.height + height - inner[1] });
      },
      // The window's picture cut to the clip: a canvas's own would show its
      // pixels unscaled.
      screenshot: async ({ clip }) => run(async (png, c) => {
        const cut = await createImageBitmap(await (await fetch('data:image/png;base64,' + png)).blob(), c.x, c.y, c.width, c.height);
        const canvas = new OffscreenCanvas(c.width, c.height);
        canvas.getContext('2d').drawImage(cut, 0, 0);
        const bytes = new Uint8Array(await (await canvas.convertToBlob()).arrayBuffer());
        return btoa(Array.from(bytes, (b) => String.fromCharCode(b)).join(''));
      }, [await call('GET', `${session}/screenshot`), clip]),
    };
    return page;
  };
  return {
    version: () => `MiniBrowser ${capabilities.browserVersion}`,
    newPage,
    // A browser of its own: its own cache, storage and service workers.
    createBrowserContext: launch,
    close: async () => {
      await call('DELETE', session).catch(() => {});
      process.kill(-driver.pid);
    },
  };
}

module.exports = { launch };
