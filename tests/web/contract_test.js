// The page and the module meet only through members the contract declares:
// a member one side sets and the other reads under another name fails here,
// not on a player's phone. Usage: node --test tests/web/contract_test.js
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');

const root = path.join(__dirname, '..', '..');
const scripts = (dir, pattern) =>
  fs.readdirSync(path.join(root, dir)).filter((f) => pattern.test(f)).map((f) => path.join(dir, f));
const members = (file) =>
  [...fs.readFileSync(path.join(root, file), 'utf8').matchAll(/\bModule(?:\.(\w+)|\['(\w+)'\])/g)].map((m) => m[1] || m[2]);

test('every Module member the page, the module and the tests use is declared, and none left unused', () => {
  const contract = fs.readFileSync(path.join(root, 'web/contract.js'), 'utf8');
  const declared = new Set([...contract.matchAll(/^ {2}(\w+):/gm)].map((m) => m[1]));
  const slots = [...contract.matchAll(/^ {2}(\w+): (?:null|0),?/gm)].map((m) => m[1]);  // given later
  const files = [...scripts('web', /\.js$/), ...scripts('src/platform', /\.js$/), ...scripts('src/sound', /\.js$/),
                 ...scripts('tests/web', /\.js$/), ...scripts('tools/browser', /\.js$/), 'bench/web.js', 'fuzz/lifecycle.js'];
  const used = new Set();
  for (const file of files) {
    for (const name of members(file)) {
      assert.ok(declared.has(name), `${file}: Module.${name} is not in web/contract.js`);
      used.add(name);
    }
  }
  assert.deepStrictEqual(slots.filter((name) => !used.has(name)), [], 'declared but never given or used');
});
