// Driving the game's page in the browser tests, in any engine: opening it,
// reading the game's state and back buffer through the test build's
// exports, waiting in the page for what the game shows, playing pieces by
// mouse or by finger, and the atlas the pictures come from.
'use strict';
const fs = require('fs');
const path = require('path');
const { decodePng } = require('./png');

const ROOT = path.resolve(__dirname, '../..');
const atlas = decodePng(fs.readFileSync(path.join(ROOT, 'game/bitmap.png')));

const Scene = { Title: 0, Scatter: 1, Play: 2, Clear: 3 };
const Mode = { Municipality: 0, Mascot: 1 };
const Piece = { Loose: 1, Held: 2, Placed: 3 };
const kHover = 2;  // the drag phase with a candidate under the pointer

// The address of the game with what the test page's hooks are to do
// (support/test_hooks.js): code run before the page's scripts, and code
// run on the program's file system just before the game starts.
function gameUrl(url, { init, beforeMain } = {}) {
  const config = {};
  if (init) config.init = `(${init})()`;
  if (beforeMain) config.beforeMain = beforeMain.toString();
  return Object.keys(config).length ? `${url}#${encodeURIComponent(JSON.stringify(config))}` : url;
}

async function waitFor(what, condition, timeout = 60000) {
  const start = Date.now();
  for (;;) {
    const last = await condition();
    if (last) return last;
    if (Date.now() - start > timeout) throw new Error(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 40));
  }
}

async function state(tab) {
  return tab.evaluate(() => JSON.parse(pokomaru.UTF8ToString(pokomaru._pokomaru_test_state())));
}

// The scene updates stand still below ~30 frames per second, so every wait
// is for what the game shows, never for a time. The condition is tried in
// the page on every animation frame: `predicate(state, arg)` must stand on
// its own (it is sent as source), with what it needs in `arg`.
async function waitForState(tab, what, predicate, arg = null, timeout = 60000) {
  const s = await tab.evaluate(async (source, arg, timeout) => {
    const predicate = (0, eval)(`(${source})`);
    const start = performance.now();
    for (;;) {
      let s = null;
      try {
        s = JSON.parse(pokomaru.UTF8ToString(pokomaru._pokomaru_test_state()));
      } catch (e) {}
      if (s && predicate(s, arg)) return s;
      if (performance.now() - start > timeout) return null;
      await new Promise((r) => (document.hidden ? setTimeout(r, 10) : requestAnimationFrame(() => r())));
    }
  }, predicate.toString(), arg, timeout);
  if (!s) throw new Error(`timed out waiting for ${what}`);
  return s;
}

// Lets the browser show n frames of its own (the game runs one per frame).
async function frames(tab, n) {
  await tab.evaluate((n) => new Promise((resolve) => {
    let left = n;
    const next = () => (--left <= 0 ? resolve() : requestAnimationFrame(next));
    requestAnimationFrame(next);
  }), n);
}

// Opens the game and waits until it has run a scene update on the title (it
// measures the window in every update).
async function openGame(tab, url, hooks) {
  await tab.goto(gameUrl(url, hooks));
  await waitForGame(tab);
}

async function waitForGame(tab) {
  await waitFor('the game to start', () => tab.evaluate(() => !!(window.pokomaru && window.pokomaru.calledRun)).catch(() => false));
  await waitForState(tab, 'a scene update on the title', (s) => s.scene === 0 && s.window_width > 0);
}

async function pageErrors(tab) {
  return tab.evaluate(() => window.pokomaruErrors || []);
}

async function effects(tab) {
  return tab.evaluate(() => window.pokomaruEffects.map((e) => e.effect));
}

async function backBuffer(tab) {
  const base64 = await tab.evaluate(() => {
    const at = pokomaru._pokomaru_test_back_buffer();
    if (!at) return null;
    const bytes = pokomaru.HEAPU8.subarray(at, at + 1024 * 768 * 4);
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  });
  if (!base64) throw new Error('no back buffer');
  const bytes = Buffer.from(base64, 'base64');
  return new Uint32Array(bytes.buffer, bytes.byteOffset, 1024 * 768);
}

// The atlas texel as 0xAARRGGBB, white made transparent as the game's
// texture loader does.
function atlasTexel(x, y) {
  const i = (y * atlas.width + x) * 4;
  const [r, g, b, a] = atlas.rgba.subarray(i, i + 4);
  if (r === 255 && g === 255 && b === 255 && a === 255) return 0;
  return ((a << 24) | (r << 16) | (g << 8) | b) >>> 0;
}

// What an opaque-drawn texel leaves over the blue the frame is cleared to.
function overBlue(texel) {
  const a = (texel >>> 24) / 255;
  const r = Math.round(((texel >>> 16) & 255) * a);
  const g = Math.round(((texel >>> 8) & 255) * a);
  const b = Math.round((texel & 255) * a + 255 * (1 - a));
  return ((0xff << 24) | (r << 16) | (g << 8) | b) >>> 0;
}

// Pixels of the back buffer (or a screenshot) that differ from what the
// atlas background puts there: the upper picture drawn at (0, 0), the band
// tiled from its corner in two rows of 116.
function backgroundMismatches(pixelAt, x0, y0, w, h) {
  let differing = 0;
  for (let y = y0; y < y0 + h; ++y)
    for (let x = x0; x < x0 + w; ++x) {
      const texel = y < 568 ? atlasTexel(x, y) : atlasTexel(x % 256, y < 684 ? y - 568 : y - 684);
      if ((pixelAt(x, y) & 0xffffff) !== (overBlue(texel) & 0xffffff)) ++differing;
    }
  return differing;
}

function fromBackBuffer(words) {
  return (x, y) => words[y * 1024 + x];
}

function pieceCentre(p) {
  return { x: p.x + p.width / 2, y: p.y + p.height / 2 };
}

function homeCentre(p) {
  return { x: p.home_x + p.width / 2, y: p.home_y + p.height / 2 };
}

// The topmost loose piece: placed pieces go to the back of the order.
function topLoosePiece(s) {
  for (const index of s.order) if (s.pieces[index].state === Piece.Loose) return index;
  return -1;
}

// --- Playing -----------------------------------------------------------------

async function clickTitleButton(tab, x) {
  const lit = x < 512 ? 1 : 11;
  await tab.mouseMove(x, 632);
  await waitForState(tab, 'the button lit', (s, lit) => s.title_button_state === lit, lit);
  await tab.mouseDown();
  await waitForState(tab, 'the button pressed', (s, lit) => s.title_button_state === lit + 1, lit);
  await tab.mouseUp();
}

async function waitForPlay(tab, mode) {
  return waitForState(tab, 'the play scene', (s, mode) => s.scene === 2 && s.mode === mode, mode);
}

// The game hovers the lowest loose piece under the pointer and brings it to
// the top: whichever that is, it is the one picked up.
async function candidate(tab) {
  return waitForState(tab, 'a candidate under the pointer', (t) =>
    t.drag_phase === 2 && t.active_piece >= 0 && t.active_piece < t.pieces.length && t.pieces[t.active_piece].state === 1);
}

async function heldPiece(tab, timeout) {
  return waitForState(tab, 'a piece held', (t) =>
    t.active_piece >= 0 && t.active_piece < t.pieces.length && t.pieces[t.active_piece].state === 2, null, timeout);
}

async function overHome(tab, index) {
  return waitForState(tab, `piece ${index} over its home`, (t, i) =>
    Math.abs(t.pieces[i].x - t.pieces[i].home_x) < 1 && Math.abs(t.pieces[i].y - t.pieces[i].home_y) < 1, index);
}

async function placed(tab, index) {
  return waitForState(tab, `piece ${index} placed`, (t, i) => t.pieces[i].state === 3, index);
}

// Picks up a loose piece with the mouse and drops it at its home. A press
// the game did not take (it may stand still for a moment on a busy machine)
// is let go and made again.
async function placeByMouse(tab, s) {
  let held = null;
  for (let attempt = 0; !held; ++attempt) {
    const from = pieceCentre(s.pieces[topLoosePiece(s)]);
    await tab.mouseMove(from.x, from.y);
    await candidate(tab);
    await tab.mouseDown();
    try {
      held = await heldPiece(tab, 10000);
    } catch (error) {
      if (attempt >= 4) throw error;
      await tab.mouseUp();
      s = await state(tab);
    }
  }
  const index = held.active_piece;
  const to = homeCentre(held.pieces[index]);
  await tab.mouseMove(to.x, to.y, 3);
  await overHome(tab, index);
  await tab.mouseUp();
  return placed(tab, index);
}

// The same with one finger: the touch on the piece alone picks it up.
async function placeByTouch(tab, s, steps = 3) {
  let held = null;
  for (let attempt = 0; !held; ++attempt) {
    const from = pieceCentre(s.pieces[topLoosePiece(s)]);
    await tab.touchStart(from.x, from.y);
    try {
      held = await heldPiece(tab, 10000);
    } catch (error) {
      if (attempt >= 4) throw error;
      await tab.touchEnd();
      s = await state(tab);
    }
  }
  const index = held.active_piece;
  const from = pieceCentre(held.pieces[index]), to = homeCentre(held.pieces[index]);
  for (let k = 1; k <= steps; ++k)
    await tab.touchMove(from.x + ((to.x - from.x) * k) / steps, from.y + ((to.y - from.y) * k) / steps);
  await overHome(tab, index);
  await tab.touchEnd();
  return placed(tab, index);
}

// A whole game from the play scene on, by mouse or by one finger.
async function playWholeGame(tab, mode, input) {
  let s = await waitForPlay(tab, mode);
  while (s.pieces_left > 0) s = input === 'touch' ? await placeByTouch(tab, s) : await placeByMouse(tab, s);
  return waitForState(tab, 'the clear scene', (t) => t.scene === 3);
}

module.exports = {
  Scene, Mode, Piece, kHover, ROOT, atlas, gameUrl, waitFor, state, waitForState, openGame, waitForGame, pageErrors,
  frames, effects, backBuffer, atlasTexel, overBlue, backgroundMismatches, fromBackBuffer, pieceCentre, homeCentre, topLoosePiece, clickTitleButton, waitForPlay,
  candidate, heldPiece, overHome, placed, placeByMouse, placeByTouch, playWholeGame,
};
