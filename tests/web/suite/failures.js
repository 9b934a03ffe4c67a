// Start-up failures: the atlas missing or corrupt, a wave missing.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

const FAILURE_CAPTION = '初期化失敗';
const GRAPHICS_FAILURE = 'DirectX Graphicsの初期化を失敗しました';

async function expectGraphicsFailure(tab, url, beforeMain) {
  await tab.goto(g.gameUrl(url, { beforeMain }));
  const box = await g.waitFor('the failure box', () => tab.evaluate(() => {
    const dialog = document.getElementById('failure');
    if (!dialog || !dialog.open || dialog.getBoundingClientRect().width === 0) return null;
    return { caption: document.getElementById('failure-caption').textContent, text: document.getElementById('failure-text').textContent };
  }));
  assert.deepEqual(box, { caption: FAILURE_CAPTION, text: GRAPHICS_FAILURE });
}

test('the atlas missing or corrupt: the graphics failure dialog', async ({ tab, url }) => {
  await expectGraphicsFailure(tab, url, (FS) => FS.unlink('/game/bitmap.png'));
  await tab.goto('about:blank');
  await expectGraphicsFailure(tab, url, (FS) => {
    const b = FS.readFile('/game/bitmap.png');
    b.fill(7, 100, 4000);
    FS.writeFile('/game/bitmap.png', b);
  });
});

test('a wave missing: only that effect is silent', async ({ tab, url }) => {
  await g.openGame(tab, url, { beforeMain: (FS) => FS.unlink('/game/wave00.wav') });
  await g.clickTitleButton(tab, 380);
  const s = await g.waitForPlay(tab, g.Mode.Municipality);
  await g.placeByMouse(tab, s);
  // The start has no wave to play; the others sound.
  const effects = await tab.evaluate(() => window.pokomaruEffects);
  assert.deepEqual(effects, [{ effect: 'game/wave01.wav', audible: true }, { effect: 'game/wave03.wav', audible: true }]);
  assert.deepEqual(await g.pageErrors(tab), []);
});
