// Driving the game's page in the browser tests: opening it, reading the
// game's state and back buffer through the test build's exports, waiting for
// conditions with generous bounds, and the atlas the pictures come from.
'use strict';
const fs = require('fs');
const path = require('path');
const { decodePng } = require('./png');

const ROOT = path.resolve(__dirname, '../..');
const atlas = decodePng(fs.readFileSync(path.join(ROOT, 'game/bitmap.png')));

const Scene = { Title: 0, Scatter: 1, Play: 2, Clear: 3 };
const Piece = { Loose: 1, Held: 2, Placed: 3 };

// The scene updates stand still below ~30 frames per second, so every wait
// is for what the game shows, never for a time.
async function waitFor(what, condition, timeout = 60000) {
  const start = Date.now();
  let last;
  for (;;) {
    last = await condition();
    if (last) return last;
    if (Date.now() - start > timeout) throw new Error(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 40));
  }
}

async function state(page) {
  return JSON.parse(await page.evaluate(() => pokomaru.UTF8ToString(pokomaru._pokomaru_test_state())));
}

async function waitForState(page, what, predicate, timeout) {
  return waitFor(what, async () => {
    const s = await state(page).catch(() => null);
    return s && predicate(s) ? s : null;
  }, timeout);
}

// Opens the page and waits until the game has run a scene update on the
// title (it measures the window in every update).
async function openGame(context, url, { errors } = {}) {
  const page = context.pages()[0] || (await context.newPage());
  const pageErrors = errors || [];
  page.on('pageerror', (e) => pageErrors.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') pageErrors.push(m.text()); });
  await installHooks(page);
  await page.goto(url);
  await waitForGame(page);
  return { page, errors: pageErrors };
}

// Before the page's script runs: every effect the game plays is noted, and
// window.pokomaruBeforeMain (if a test sets one) changes the program's files
// just before the game starts.
async function installHooks(page) {
  await page.addInitScript(() => {
    window.pokomaruEffects = [];
    Object.defineProperty(window, 'pokomaru', {
      configurable: true,
      set(module) {
        module.pokomaruPlayed = (effect, audible) => window.pokomaruEffects.push({ effect, audible });
        module.onRuntimeInitialized = () => { if (window.pokomaruBeforeMain) window.pokomaruBeforeMain(module.FS); };
        Object.defineProperty(window, 'pokomaru', { value: module, writable: true, configurable: true });
      },
    });
  });
}

async function waitForGame(page) {
  await waitFor('the game to start', () => page.evaluate(() => !!(window.pokomaru && window.pokomaru.calledRun)));
  await waitForState(page, 'a scene update on the title', (s) => s.scene === Scene.Title && s.window_width > 0);
}

async function backBuffer(page) {
  const base64 = await page.evaluate(() => {
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

module.exports = {
  installHooks, Scene, Piece, ROOT, atlas, waitFor, state, waitForState, openGame, waitForGame, backBuffer, atlasTexel, overBlue,
  pieceCentre, homeCentre, topLoosePiece,
};
