// The record file in the browser's storage: blocked, or holding something
// that is not a record.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

// A whole game by mouse, in one engine: the storage is the page's own code,
// the same in every engine, and blocking it here is the test's own doing.
test('storage blocked: the game plays and keeps its best time for the session', async ({ tab, url }) => {
  // A browser that refuses the site any storage.
  await g.openGame(tab, url, {
    init: () => Object.defineProperty(window, 'indexedDB', { get() { throw new DOMException('blocked', 'SecurityError'); } }),
  });
  assert.equal(await tab.evaluate(() => pokomaru.pokomaruStorage.available), false);
  await g.clickTitleButton(tab, 380);
  const s = await g.playWholeGame(tab, g.Mode.Municipality, 'mouse');
  assert.equal(s.new_record, 1);
  await tab.pressKey('Escape');
  const t = await g.waitForState(tab, 'the title', (x) => x.scene === 0);
  assert.equal(t.best[0], s.best[0], 'the best time stays for the session');
  assert.deepEqual(await g.pageErrors(tab), []);
}, { engines: ['firefox'] });

async function storeRecord(tab, bytes) {
  await tab.evaluate((bytes) => new Promise((resolve, reject) => {
    pokomaru.FS.writeFile('/persist/data_save.dat', Uint8Array.from(bytes));
    pokomaru.FS.syncfs(false, (e) => (e ? reject(e) : resolve()));
  }), bytes);
}

test('a stored record of the wrong size is no record', async ({ tab, url }) => {
  await g.openGame(tab, url);
  await storeRecord(tab, [2, 5, 1]);
  await tab.reload();
  await g.waitForGame(tab);
  assert.deepEqual((await g.state(tab)).best, [3599, 3599]);
  assert.equal(await tab.evaluate(() => pokomaru.pokomaruStorage.restored), false);
  await storeRecord(tab, [2, 5, 1, 30]);
  await tab.reload();
  await g.waitForGame(tab);
  assert.deepEqual((await g.state(tab)).best, [125, 90]);
  assert.deepEqual(await g.pageErrors(tab), []);
});
