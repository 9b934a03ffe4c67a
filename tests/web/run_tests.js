// The browser tests: the game's site (dist/web, with the test build's two
// program files swapped in) served on 127.0.0.1 and played in headless
// Chromium through the page's own mouse, touch and key events.
// Usage: node run_tests.js [name-filter]
'use strict';
const assert = require('assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { launch } = require('./browser');
const { startServer } = require('./serve');
const g = require('./game_page');
const { Scene, Piece } = g;

const SITE = path.join(g.ROOT, 'dist/web');
const TEST_PAGE = path.join(g.ROOT, process.env.POKOMARU_WEB_BUILD || 'build-web', 'test-page');
const FAILURE_CAPTION = '初期化失敗';
const GRAPHICS_FAILURE = 'DirectX Graphicsの初期化を失敗しました';
// The effects by the wave each plays.
const Effect = { GameStart: 'game/wave00.wav', PickUp: 'game/wave01.wav', DropLoose: 'game/wave02.wav',
  DropPlaced: 'game/wave03.wav', PuzzleComplete: 'game/wave04.wav' };

const tests = [];
function test(name, body, options = {}) {
  tests.push({ name, body, options });
}

// --- Pictures --------------------------------------------------------------

// Pixels of the back buffer (or a screenshot) that differ from what the
// atlas background puts there: the upper picture drawn at (0, 0), the band
// tiled from its corner in two rows of 116.
function backgroundMismatches(pixelAt, x0, y0, w, h) {
  let differing = 0;
  for (let y = y0; y < y0 + h; ++y)
    for (let x = x0; x < x0 + w; ++x) {
      const texel = y < 568 ? g.atlasTexel(x, y) : g.atlasTexel(x % 256, y < 684 ? y - 568 : y - 684);
      if ((pixelAt(x, y) & 0xffffff) !== (g.overBlue(texel) & 0xffffff)) ++differing;
    }
  return differing;
}

function fromBackBuffer(words) {
  return (x, y) => words[y * 1024 + x];
}

function fromScreenshot(png) {
  const { decodePng } = require('./png');
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
const kHover = 2;  // the drag phase with a candidate under the pointer
const kButtonTop = 1508, kPressedButtonTop = 1580;
const kMunicipalityPatch = 323, kMascotPatch = 579;

// --- Playing -----------------------------------------------------------------

async function clickButton(page, x) {
  await page.mouse.move(x, 632);
  await g.waitForState(page, 'the button lit', (s) => s.title_button_state === (x < 512 ? 1 : 11));
  await page.mouse.down();
  await g.waitForState(page, 'the button pressed', (s) => s.title_button_state === (x < 512 ? 2 : 12));
  await page.mouse.up();
}

async function waitForPlay(page, mode) {
  return g.waitForState(page, 'the play scene', (s) => s.scene === Scene.Play && s.mode === mode);
}

// The game hovers the lowest loose piece under the pointer and brings it to
// the top: whichever that is, it is the one picked up.
async function candidateAt(page, at) {
  return g.waitForState(page, 'a candidate under the pointer',
    (t) => t.drag_phase === kHover && t.active_piece >= 0 && t.active_piece < t.pieces.length &&
      t.pieces[t.active_piece].state === Piece.Loose);
}

async function heldPiece(page, timeout) {
  return g.waitForState(page, 'a piece held',
    (t) => t.active_piece >= 0 && t.active_piece < t.pieces.length && t.pieces[t.active_piece].state === Piece.Held,
    timeout);
}

async function overHome(page, index) {
  return g.waitForState(page, `piece ${index} over its home`, (t) =>
    Math.abs(t.pieces[index].x - t.pieces[index].home_x) < 1 && Math.abs(t.pieces[index].y - t.pieces[index].home_y) < 1);
}

// Picks up a loose piece with the mouse and drops it at its home. A press
// the game did not take (it may stand still for a moment on a busy machine)
// is let go and made again.
async function placeByMouse(page, s) {
  let held = null;
  for (let attempt = 0; !held; ++attempt) {
    const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
    await page.mouse.move(from.x, from.y);
    await candidateAt(page);
    await page.mouse.down();
    try {
      held = await heldPiece(page, 10000);
    } catch (error) {
      if (attempt >= 4) throw error;
      await page.mouse.up();
      s = await g.state(page);
    }
  }
  const index = held.active_piece;
  const to = g.homeCentre(held.pieces[index]);
  await page.mouse.move(to.x, to.y, { steps: 3 });
  await overHome(page, index);
  await page.mouse.up();
  return g.waitForState(page, `piece ${index} placed`, (t) => t.pieces[index].state === Piece.Placed);
}

// The same with one finger: the touch on the piece alone picks it up.
async function placeByTouch(page, cdp, s) {
  let held = null;
  for (let attempt = 0; !held; ++attempt) {
    const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
    await touch(cdp, 'touchStart', [{ x: from.x, y: from.y, id: 1 }]);
    try {
      held = await heldPiece(page, 10000);
    } catch (error) {
      if (attempt >= 4) throw error;
      await touch(cdp, 'touchEnd', []);
      s = await g.state(page);
    }
  }
  const index = held.active_piece;
  const from = g.pieceCentre(held.pieces[index]), to = g.homeCentre(held.pieces[index]);
  for (let k = 1; k <= 3; ++k)
    await touch(cdp, 'touchMove', [{ x: from.x + ((to.x - from.x) * k) / 3, y: from.y + ((to.y - from.y) * k) / 3, id: 1 }]);
  await overHome(page, index);
  await touch(cdp, 'touchEnd', []);
  return g.waitForState(page, `piece ${index} placed`, (t) => t.pieces[index].state === Piece.Placed);
}

// A whole game, by mouse or (given a touch session) by one finger.
async function playWholeGame(page, mode, cdp = null) {
  let s = await waitForPlay(page, mode);
  while (s.pieces_left > 0) s = cdp ? await placeByTouch(page, cdp, s) : await placeByMouse(page, s);
  return g.waitForState(page, 'the clear scene', (t) => t.scene === Scene.Clear);
}

async function touch(cdp, type, points) {
  await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
}

async function touchSession(context, page) {
  const cdp = await context.newCDPSession(page);
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  return cdp;
}

// --- The tests ---------------------------------------------------------------

test('title: drawn pixel-exact over the atlas background, in the back buffer and on the screen', async ({ context, url }) => {
  const { page, errors } = await g.openGame(context, url);
  assert.equal(await page.title(), 'ぽこ丸ジグゾー');
  const s = await g.state(page);
  assert.deepEqual([s.window_width, s.window_height], [1024 + 18, 768 + 44], 'the client area is the 1024 x 768 canvas');
  const words = await g.backBuffer(page);
  // The band below the buttons, and a corner of the upper picture no piece covers.
  assert.equal(backgroundMismatches(fromBackBuffer(words), 0, 672, 1024, 96), 0);
  assert.equal(backgroundMismatches(fromBackBuffer(words), 20, 500, 100, 60), 0);
  const shot = fromScreenshot(await page.screenshot());
  assert.equal(backgroundMismatches(shot, 0, 672, 1024, 96), 0, 'the canvas shows the back buffer one to one');
  assert.equal(backgroundMismatches(shot, 20, 500, 100, 60), 0);
  assert.deepEqual(errors, []);
});

test('title buttons: faded with the pointer away, lit under it, pressed while held', async ({ context, url }) => {
  const { page } = await g.openGame(context, url);
  await page.mouse.move(100, 700);
  await g.waitForState(page, 'neither button lit', (s) => s.title_button_state === 0);
  let words = await g.backBuffer(page);
  assert.ok(buttonPatchDistance(words, kMunicipalityPatch, kButtonTop) > 0.008, 'municipality button faded');
  assert.ok(buttonPatchDistance(words, kMascotPatch, kButtonTop) > 0.008, 'mascot button faded');
  await page.mouse.move(640, 632);
  await g.waitForState(page, 'the mascot button lit', (s) => s.title_button_state === 11);
  words = await g.backBuffer(page);
  assert.equal(buttonPatchDistance(words, kMascotPatch, kButtonTop), 0, 'mascot button lit');
  assert.ok(buttonPatchDistance(words, kMunicipalityPatch, kButtonTop) > 0.008, 'municipality button still faded');
  await page.mouse.down();
  await g.waitForState(page, 'the mascot button pressed', (s) => s.title_button_state === 12);
  words = await g.backBuffer(page);
  assert.equal(buttonPatchDistance(words, kMascotPatch, kPressedButtonTop), 0, 'mascot button pressed');
  // Let go away from it: no game starts.
  await page.mouse.move(100, 700);
  await g.waitForState(page, 'the press given up', (s) => s.title_button_state === 0);
  await page.mouse.up();
  assert.equal((await g.state(page)).scene, Scene.Title);
});

test('a game started by mouse, a piece placed by touch, Escape back to the title', async ({ context, url }) => {
  const { page, errors } = await g.openGame(context, url);
  await clickButton(page, 380);
  let s = await waitForPlay(page, 0);
  assert.equal(await page.evaluate(() => window.pokomaruEffects[0].effect), Effect.GameStart);
  assert.equal(s.pieces_left, 63);

  const cdp = await touchSession(context, page);
  const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
  // One touch on a piece picks it up: its position reaches the game before
  // the press does.
  await touch(cdp, 'touchStart', [{ x: from.x, y: from.y, id: 1 }]);
  const held = await heldPiece(page);
  const index = held.active_piece;
  const to = g.homeCentre(held.pieces[index]);
  for (let k = 1; k <= 8; ++k) {
    const x = from.x + ((to.x - from.x) * k) / 8, y = from.y + ((to.y - from.y) * k) / 8;
    await touch(cdp, 'touchMove', [{ x, y, id: 1 }]);
  }
  await overHome(page, index);
  await touch(cdp, 'touchEnd', []);
  s = await g.waitForState(page, 'the piece placed', (t) => t.pieces[index].state === Piece.Placed);
  assert.equal(s.pieces_left, 62);
  const effects = await page.evaluate(() => window.pokomaruEffects.map((e) => e.effect));
  assert.deepEqual(effects, [Effect.GameStart, Effect.PickUp, Effect.DropPlaced]);

  await page.keyboard.press('Escape');
  s = await g.waitForState(page, 'the title after Escape', (t) => t.scene === Scene.Title);
  assert.ok(s.pieces.every((p) => p.x === p.home_x && p.y === p.home_y), 'the board is the solved map again');
  assert.deepEqual(errors, []);
});

test('a whole mascot game by touch sets a best time, kept in storage and shown after a reload', async ({ context, url }) => {
  const { page, errors } = await g.openGame(context, url);
  const before = await g.backBuffer(page);
  await clickButton(page, 640);
  const s = await playWholeGame(page, 1, await touchSession(context, page));
  assert.equal(s.new_record, 1);
  const best = Math.trunc(s.best[1]);
  assert.ok(best < 3599 && best >= 0);
  await g.waitFor('the record in storage', () => page.evaluate(() => pokomaru.pokomaruStorage.saves > 0));
  const effects = await page.evaluate(() => window.pokomaruEffects.map((e) => e.effect));
  assert.equal(effects[effects.length - 1], Effect.PuzzleComplete);
  assert.equal(effects.filter((e) => e === Effect.PickUp).length, 95);

  await page.reload();
  await g.waitForGame(page);
  const after = await g.state(page);
  assert.deepEqual(after.best, [3599, best], 'the stored record, in whole seconds');
  assert.equal(await page.evaluate(() => pokomaru.pokomaruStorage.restored), true);
  // The mascot high-score line is drawn anew; the municipality one is as before.
  const words = await g.backBuffer(page);
  const changed = (y0) => {
    let n = 0;
    for (let y = y0; y < y0 + 18; ++y) for (let x = 700; x < 1000; ++x) if (words[y * 1024 + x] !== before[y * 1024 + x]) ++n;
    return n;
  };
  assert.equal(changed(22), 0, 'the municipality line is unchanged');
  assert.ok(changed(46) > 20, 'the mascot line shows the new time');
  assert.deepEqual(errors, []);
});

test('storage blocked: the game plays and keeps its best time for the session', async ({ context, url }) => {
  // A browser that refuses the site any storage.
  await context.addInitScript(() => {
    Object.defineProperty(window, 'indexedDB', { get() { throw new DOMException('blocked', 'SecurityError'); } });
  });
  const { page, errors } = await g.openGame(context, url);
  assert.equal(await page.evaluate(() => pokomaru.pokomaruStorage.available), false);
  await clickButton(page, 380);
  const s = await playWholeGame(page, 0);
  assert.equal(s.new_record, 1);
  await page.keyboard.press('Escape');
  const t = await g.waitForState(page, 'the title', (x) => x.scene === Scene.Title);
  assert.equal(t.best[0], s.best[0], 'the best time stays for the session');
  assert.deepEqual(errors, []);
});

test('a stored record of the wrong size is no record', async ({ context, url }) => {
  const { page, errors } = await g.openGame(context, url);
  await page.evaluate(() => new Promise((resolve, reject) => {
    pokomaru.FS.writeFile('/persist/data_save.dat', Uint8Array.of(2, 5, 1));
    pokomaru.FS.syncfs(false, (e) => (e ? reject(e) : resolve()));
  }));
  await page.reload();
  await g.waitForGame(page);
  assert.deepEqual((await g.state(page)).best, [3599, 3599]);
  assert.equal(await page.evaluate(() => pokomaru.pokomaruStorage.restored), false);
  await page.evaluate(() => new Promise((resolve, reject) => {
    pokomaru.FS.writeFile('/persist/data_save.dat', Uint8Array.of(2, 5, 1, 30));
    pokomaru.FS.syncfs(false, (e) => (e ? reject(e) : resolve()));
  }));
  await page.reload();
  await g.waitForGame(page);
  assert.deepEqual((await g.state(page)).best, [125, 90]);
  assert.deepEqual(errors, []);
});

async function expectGraphicsFailure(page, url, spoil) {
  await g.installHooks(page);
  await page.addInitScript(spoil);
  await page.goto(url);
  const dialog = page.locator('#failure');
  await dialog.waitFor({ state: 'visible', timeout: 60000 });
  assert.equal(await page.locator('#failure-caption').textContent(), FAILURE_CAPTION);
  assert.equal(await page.locator('#failure-text').textContent(), GRAPHICS_FAILURE);
  assert.equal(await page.evaluate(() => document.getElementById('failure').open), true);
}

// Runs `change` on the program's file system just before the game starts.
function beforeMain(change) {
  return `window.pokomaruBeforeMain = ${change};`;
}

test('the atlas missing or corrupt: the graphics failure dialog', async ({ context, url }) => {
  await expectGraphicsFailure(context.pages()[0] || (await context.newPage()), url,
    beforeMain("(FS) => FS.unlink('/game/bitmap.png')"));
  await expectGraphicsFailure(await context.newPage(), url, beforeMain(
    "(FS) => { const b = FS.readFile('/game/bitmap.png'); b.fill(7, 100, 4000); FS.writeFile('/game/bitmap.png', b); }"));
});

test('a wave missing: only that effect is silent', async ({ context, url }) => {
  const page = context.pages()[0] || (await context.newPage());
  await page.addInitScript(beforeMain("(FS) => FS.unlink('/game/wave00.wav')"));
  const { errors } = await g.openGame(context, url);
  await clickButton(page, 380);
  const s = await waitForPlay(page, 0);
  await placeByMouse(page, s);
  // The start has no wave to play; the others sound.
  const effects = await page.evaluate(() => window.pokomaruEffects);
  assert.deepEqual(effects, [{ effect: Effect.PickUp, audible: true }, { effect: Effect.DropPlaced, audible: true }]);
  assert.deepEqual(errors, []);
}, { sound: true });

test('offline: after the first visit the game starts with no network', async ({ context, url }) => {
  const { page } = await g.openGame(context, url);
  await g.waitFor('the service worker in control', () =>
    page.evaluate(() => navigator.serviceWorker.ready.then(() => !!navigator.serviceWorker.controller)));
  await context.setOffline(true);
  await page.reload();
  await g.waitForGame(page);
  const words = await g.backBuffer(page);
  assert.equal(backgroundMismatches(fromBackBuffer(words), 0, 672, 1024, 96), 0);
  assert.equal(await page.evaluate(() => document.fonts.check('16px "IPAGothic"', 'あ')), true);
});

// --- Running -------------------------------------------------------------------

function makeTestSite() {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'pokomaru-site-'));
  fs.cpSync(SITE, site, { recursive: true });
  for (const name of ['pokomaru-jigsaw.js', 'pokomaru-jigsaw.wasm', 'pokomaru-jigsaw.data'])
    fs.copyFileSync(path.join(TEST_PAGE, name), path.join(site, name));
  return site;
}

async function main() {
  const filter = process.argv[2] || '';
  if (!fs.existsSync(path.join(SITE, 'index.html'))) throw new Error('no dist/web: run scripts/build-web.sh');
  if (!fs.existsSync(path.join(TEST_PAGE, 'pokomaru-jigsaw.wasm'))) throw new Error(`no test build in ${TEST_PAGE}`);
  const site = makeTestSite();
  const server = await startServer(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  let failed = 0, ran = 0;
  for (const { name, body, options } of tests) {
    if (!name.includes(filter)) continue;
    ++ran;
    const started = Date.now();
    const browser = await launch(options);
    try {
      await body({ context: browser.context, url });
      console.log(`ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
    } catch (error) {
      ++failed;
      console.log(`FAIL ${name}\n     ${(error && error.stack) || error}`);
    } finally {
      await browser.close();
    }
  }
  server.close();
  fs.rmSync(site, { recursive: true, force: true });
  console.log(`${ran - failed} of ${ran} browser tests passed`);
  process.exit(failed || ran === 0 ? 1 : 0);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
