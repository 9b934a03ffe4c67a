// Drawing by parts: a present that differs from the last one only in small
// rectangles is drawn again inside them alone. A whole game is played with
// presents along the way compared, pixel for pixel, with a full plain
// drawing of their frame, across a device loss.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

// Every second drawn present is compared: a wrong pixel drawn by parts
// stays in the back buffer until a later part covers it, so the next
// comparison still sees it.
const kEvery = 2;

async function frameCheck(tab) {
  return tab.evaluate(() => JSON.parse(pokomaru.UTF8ToString(pokomaru._pokomaru_test_frame_check())));
}

test('drawing by parts: a whole game and a device loss, its presents the same as full drawings', async ({ tab, url, note }) => {
  await g.openGame(tab, url);
  assert.equal(await tab.evaluate((n) => pokomaru._pokomaru_test_check_frames(n), kEvery), 1);
  await g.clickTitleButton(tab, 380);
  await g.waitForPlay(tab, g.Mode.Municipality);
  // The device lost and made again on the board: drawn in full, then by parts again.
  const shown = await tab.evaluate(() => pokomaru._pokomaru_test_presents_shown());
  assert.equal(await tab.evaluate(() => pokomaru._pokomaru_test_lose_device()), 1);
  await g.waitFor('pictures after the loss', () =>
    tab.evaluate((n) => pokomaru._pokomaru_test_presents_shown() > n + 10, shown));
  await g.playWholeGame(tab, g.Mode.Municipality, 'mouse');
  await g.frames(tab, 30);  // the clear scene as it comes in
  const c = await frameCheck(tab);
  note(`${c.drawn} presents, ${c.in_part} of them drawn by parts; ${c.compared} compared ` +
    `(${c.compared_in_part} drawn by parts), ${c.unchecked} without a full clear`);
  const hex = (v) => '0x' + (v >>> 0).toString(16).padStart(8, '0');
  assert.equal(c.differing, 0, `${c.differing} presents differ from a full drawing; the first, compared ` +
    `${c.first_frame}th, at (${c.first_x}, ${c.first_y}): ${hex(c.shown)} where a full drawing has ${hex(c.full)}`);
  assert.ok(c.compared >= 100, 'presents compared all along the game');
  assert.ok(c.compared_in_part >= 50, 'presents drawn by parts among them');
  assert.deepEqual(await g.pageErrors(tab), []);
});
