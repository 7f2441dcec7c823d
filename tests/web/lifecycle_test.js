// A few random lives of the page (fuzz/lifecycle.js, fixed seeds): reloads,
// closes, crashes, hidden and shown tabs, volume, chops and games, with
// nothing lost that a completed save held; with three tabs, one game plays
// at a time and takes over from the others with all they saved.
// Usage: node --test tests/web/lifecycle_test.js (TAVIKORO_WEB_BUILD as for browser_test.js)
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { fuzz } = require('../../fuzz/lifecycle.js');

for (const [name, options] of [
  ['one tab: reloaded, closed, crashed, hidden, playing', { seed: 7, sequences: 2, pages: 1 }],
  ['three tabs of one browser', { seed: 101, sequences: 1, pages: 3 }],
]) {
  test(name, async (t) => {
    const totals = await fuzz({ ...options, steps: 8, speed: 4 }, (text) => text.split('\n').forEach((line) => t.diagnostic(line)));
    assert.deepStrictEqual(totals.losses, []);
  });
}
