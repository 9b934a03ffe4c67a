// The title as drawn, in the back buffer and on the screen, and its buttons
// under the pointer.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');
const { decodePng } = require('../png');

function fromScreenshot(png) {
  const image = decodePng(png);
  return (x, y) => {
    const i = (y * image.width + x) * 4;
    return (image.rgba[i] << 16) | (image.rgba[i + 1] << 8) | image.rgba[i + 2];
  };
}

// The button picture left of its caption, as the atlas has it: equal when
// the button is drawn opaque (lit), not when faded.
function buttonPatchDistance(words, left, atlasTop) {
  let differing = 0;
  for (let y = 0; y < 24; ++y)
    for (let x = 0; x < 14; ++x)
      if ((words[(620 + y) * 1024 + left + x] & 0xffffff) !== (g.atlasTexel(3 + x, atlasTop + y) & 0xffffff)) ++differing;
  return differing / (24 * 14);
}
const kButtonTop = 1508, kPressedButtonTop = 1580;
const kMunicipalityPatch = 323, kMascotPatch = 579;

test('title: its pictures as the atlas has them, in the back buffer and on the screen', async ({ tab, url, note }) => {
  await g.openGame(tab, url);
  assert.equal(await tab.evaluate(() => document.title), 'ぽこ丸ジグゾー');
  note(`first frame ${Math.round(await tab.evaluate(() => window.pokomaruFirstFrame))} ms after navigation`);
  const s = await g.state(tab);
  assert.deepEqual([s.window_width, s.window_height], [1024 + 18, 768 + 44], 'the client area is the 1024 x 768 canvas');
  const words = await g.backBuffer(tab);
  // The band below the buttons, and a corner of the upper picture no piece covers.
  assert.equal(g.backgroundMismatches(g.fromBackBuffer(words), 0, 672, 1024, 96), 0);
  assert.equal(g.backgroundMismatches(g.fromBackBuffer(words), 20, 500, 100, 60), 0);
  const shot = fromScreenshot(await tab.screenshot());
  assert.equal(g.backgroundMismatches(shot, 0, 672, 1024, 96), 0, 'the canvas shows the back buffer one to one');
  assert.equal(g.backgroundMismatches(shot, 20, 500, 100, 60), 0);
  // Every pixel the atlas's pictures decide (all but those under text) is
  // within 1 of what they make, or of as many as translucent edges blend
  // there: no dark fringe around a piece or a mascot.
  const frame = g.atlasFrame(await g.frameQuads(tab));
  const d = g.atlasDistance(words, frame);
  note(`${d.compared} pixels of pictures, ${d.beyond1} of them more than 1 away (where translucent edges overlap); ` +
    `largest ${d.largest}`);
  assert.ok(d.compared > 600000, 'the pictures cover most of the title');
  assert.equal(d.beyond, 0, `${d.beyond} pixels beyond their blends' rounding of the atlas, ${d.darker} of them darker`);
  assert.deepEqual(await g.pageErrors(tab), []);
});

// The drawing of a state can come a frame after the state: each look is
// waited for in the back buffer.
async function buttonsShown(tab, what, looks) {
  await g.waitFor(what, async () => {
    const words = await g.backBuffer(tab);
    return looks.every(([left, top, lit]) => (buttonPatchDistance(words, left, top) === 0) === lit);
  });
}

test('title buttons: faded with the pointer away, lit under it, pressed while held', async ({ tab, url }) => {
  await g.openGame(tab, url);
  await tab.mouseMove(100, 700);
  await g.waitForState(tab, 'neither button lit', (s) => s.title_button_state === 0);
  // Faded: the button's picture is not the atlas's, anywhere near.
  await buttonsShown(tab, 'both buttons faded', [[kMunicipalityPatch, kButtonTop, false], [kMascotPatch, kButtonTop, false]]);
  let words = await g.backBuffer(tab);
  assert.ok(buttonPatchDistance(words, kMunicipalityPatch, kButtonTop) > 0.5, 'municipality button faded');
  assert.ok(buttonPatchDistance(words, kMascotPatch, kButtonTop) > 0.5, 'mascot button faded');
  await tab.mouseMove(640, 632);
  await g.waitForState(tab, 'the mascot button lit', (s) => s.title_button_state === 11);
  await buttonsShown(tab, 'the mascot button lit', [[kMascotPatch, kButtonTop, true], [kMunicipalityPatch, kButtonTop, false]]);
  await tab.mouseDown();
  await g.waitForState(tab, 'the mascot button pressed', (s) => s.title_button_state === 12);
  await buttonsShown(tab, 'the mascot button pressed', [[kMascotPatch, kPressedButtonTop, true]]);
  // Let go away from it: no game starts.
  await tab.mouseMove(100, 700);
  await g.waitForState(tab, 'the press given up', (s) => s.title_button_state === 0);
  await tab.mouseUp();
  assert.equal((await g.state(tab)).scene, g.Scene.Title);
});

// The game plays in a page the browser never gave the keyboard focus: under
// a window manager that focuses nothing, or in a frame of another page.
test('the game is active in a page without the focus, inactive once it loses it, active again on a press', async ({ tab, url, note }) => {
  await g.openGame(tab, url);
  const focused = await tab.evaluate(() => document.hasFocus());
  note(`the page ${focused ? 'has' : 'does not have'} the focus as it opens`);
  // Shown, it is a window just made: active.
  await g.waitForState(tab, 'the game active', (t) => t.window_active === 1 && t.title_button_state === 0);
  // The page loses the focus: the game stands still.
  await tab.evaluate(() => window.dispatchEvent(new FocusEvent('blur')));
  let s = await g.waitForState(tab, 'the game inactive', (t) => t.window_active === 0);
  await tab.mouseMove(640, 632);
  await g.waitForState(tab, 'the pointer seen', (t) => t.mouse_x === 640);
  await g.frames(tab, 10);
  s = await g.state(tab);
  assert.equal(s.title_button_state === 11, false, 'an inactive game lights no button');
  await tab.mouseDown();
  await g.waitForState(tab, 'the game active and the button lit', (t) => t.window_active === 1 && t.title_button_state === 11);
  await tab.mouseUp();
  // The next press is the game's own.
  await tab.mouseDown();
  await g.waitForState(tab, 'the button pressed', (t) => t.title_button_state === 12);
  await tab.mouseUp();
  await g.waitForPlay(tab, g.Mode.Mascot);
});
