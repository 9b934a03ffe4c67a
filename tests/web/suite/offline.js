// After the first visit the service worker has the whole site: the game
// starts with the server gone.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

test('offline: after the first visit the game starts with no network', async ({ tab, url, server }) => {
  await g.openGame(tab, url);
  await g.waitFor('the service worker in control', () =>
    tab.evaluate(() => navigator.serviceWorker.ready.then(() => !!navigator.serviceWorker.controller)));
  server.close();
  if (server.closeAllConnections) server.closeAllConnections();
  // Nothing answers any more on the site's address.
  assert.equal(await tab.evaluate((url) => fetch(url + 'no-such-file', { cache: 'no-store' }).then(() => 'answered', () => 'refused'), url), 'refused');
  await tab.reload();
  await g.waitForGame(tab);
  const words = await g.backBuffer(tab);
  assert.equal(g.backgroundMismatches(g.fromBackBuffer(words), 0, 672, 1024, 96), 0, 'the title is drawn');
  assert.equal(await tab.evaluate(() => document.fonts.check('16px "IPAGothic"', 'あ')), true);
});
