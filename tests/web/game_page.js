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

// The back buffer once it holds the frame presented last: presents that
// came before the browser took the picture before them are drawn at the
// first present after its next frame.
async function backBuffer(tab) {
  const base64 = await tab.evaluate(async () => {
    for (let k = 0; k < 100 && pokomaru._pokomaru_test_drawing_owed(); ++k)
      await new Promise((r) => (document.hidden ? setTimeout(r, 10) : requestAnimationFrame(() => setTimeout(r, 0))));
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

// The quads of the frame shown last (test build): [texture (1 atlas, 0
// other), x0, y0, x1, y1, u0, v0, u1, v1, ARGB colour] each.
async function frameQuads(tab) {
  return tab.evaluate(() => {
    const at = pokomaru._pokomaru_test_frame_quads();
    return at ? JSON.parse(pokomaru.UTF8ToString(at)) : null;
  });
}

// What a frame's atlas pictures make over the blue clear, worked out here
// from the PNG as the device would draw them (each texel times the quad's
// colour, blended by its alpha), how many translucent texels were blended
// into each pixel, and which pixels that does not decide: those under text
// (other textures) or under a picture not drawn texel for texel (not at
// whole pixels, or scaled).
function atlasFrame(quads) {
  const expected = new Float64Array(1024 * 768 * 3);
  for (let i = 0; i < 1024 * 768; ++i) expected[i * 3 + 2] = 255;
  const undecided = new Uint8Array(1024 * 768);
  const blends = new Uint8Array(1024 * 768);
  const mark = (x0, y0, x1, y1) => {
    for (let y = Math.max(0, Math.floor(y0) - 1); y < Math.min(768, Math.ceil(y1) + 1); ++y)
      for (let x = Math.max(0, Math.floor(x0) - 1); x < Math.min(1024, Math.ceil(x1) + 1); ++x) undecided[y * 1024 + x] = 1;
  };
  for (const [texture, x0, y0, x1, y1, u0, v0, u1, v1, colour] of quads) {
    const sx = Math.round(u0 * atlas.width), sy = Math.round(v0 * atlas.height);
    const whole = texture === 1 && [x0, y0, x1, y1].every(Number.isInteger) &&
      Math.abs(u0 * atlas.width - sx) < 1e-3 && Math.abs(v0 * atlas.height - sy) < 1e-3 &&
      Math.abs((u1 - u0) * atlas.width - (x1 - x0)) < 1e-3 && Math.abs((v1 - v0) * atlas.height - (y1 - y0)) < 1e-3;
    if (!whole) {
      mark(x0, y0, x1, y1);
      continue;
    }
    const ca = (colour >>> 24) / 255, cr = ((colour >>> 16) & 255) / 255, cg = ((colour >>> 8) & 255) / 255, cb = (colour & 255) / 255;
    for (let y = Math.max(0, y0); y < Math.min(768, y1); ++y)
      for (let x = Math.max(0, x0); x < Math.min(1024, x1); ++x) {
        const t = atlasTexel(sx + x - x0, sy + y - y0);
        const a = ((t >>> 24) / 255) * ca;
        const i = (y * 1024 + x) * 3;
        expected[i] = ((t >>> 16) & 255) * cr * a + expected[i] * (1 - a);
        expected[i + 1] = ((t >>> 8) & 255) * cg * a + expected[i + 1] * (1 - a);
        expected[i + 2] = (t & 255) * cb * a + expected[i + 2] * (1 - a);
        if (a > 0 && a < 1) ++blends[y * 1024 + x];
      }
  }
  return { expected, undecided, blends };
}

// How far the back buffer is from a frame's atlas pictures, over the pixels
// they decide. A pixel may be 1 away (the blending's rounding); where
// several translucent edges lie on each other each blend rounds anew, so
// such a pixel may be as many away as there are of them. Counted: the
// pixels compared, those more than 1 away, those beyond what their blends
// allow (and of those, the darker), and the largest distance.
function atlasDistance(words, frame) {
  let compared = 0, beyond1 = 0, beyond = 0, darker = 0, largest = 0;
  for (let p = 0; p < 1024 * 768; ++p) {
    if (frame.undecided[p]) continue;
    ++compared;
    const w = words[p];
    const got = [(w >>> 16) & 255, (w >>> 8) & 255, w & 255];
    let far = 0, sum = 0;
    for (let c = 0; c < 3; ++c) {
      const d = got[c] - Math.round(frame.expected[p * 3 + c]);
      far = Math.max(far, Math.abs(d));
      sum += d;
    }
    largest = Math.max(largest, far);
    if (far > 1) ++beyond1;
    if (far > Math.max(1, frame.blends[p])) {
      ++beyond;
      if (sum < 0) ++darker;
    }
  }
  return { compared, beyond1, beyond, darker, largest };
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
// the top: whichever that is, it is the one picked up. It must be hovered
// with the pointer where it was moved to (`at`, page pixels, the client's
// at this size): one hovered before the move is let go in the next update,
// which uses up a press that comes with it.
async function candidate(tab, at) {
  return waitForState(tab, 'a candidate under the pointer', (t, at) => {
    if (t.drag_phase !== 2 || t.active_piece < 0 || t.active_piece >= t.pieces.length) return false;
    if (Math.abs(t.mouse_x - at.x) > 1 || Math.abs(t.mouse_y - at.y) > 1) return false;
    const p = t.pieces[t.active_piece];
    const x = (t.mouse_x * 1024) / (t.window_width - 18), y = (t.mouse_y * 768) / (t.window_height - 44);
    return p.state === 1 && x >= p.x && x <= p.x + p.width && y >= p.y && y <= p.y + p.height;
  }, at);
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
    await candidate(tab, from);
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
      // The press may yet be taken before the release that gives it up:
      // the next try starts once no piece is held.
      await tab.touchEnd();
      s = await waitForState(tab, 'the finger let go', (t) => t.pieces.every((p) => p.state !== Piece.Held));
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
  frames, frameQuads, atlasFrame, atlasDistance, effects, backBuffer, atlasTexel, overBlue, backgroundMismatches, fromBackBuffer, pieceCentre, homeCentre, topLoosePiece, clickTitleButton, waitForPlay,
  candidate, heldPiece, overHome, placed, placeByMouse, placeByTouch, playWholeGame,
};
