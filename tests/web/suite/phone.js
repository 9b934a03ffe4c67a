// On a phone held upright (390 x 844 CSS pixels, 3 device pixels to each)
// the logical screen is drawn at 0.38: a 32-pixel mascot is 12 CSS pixels
// across. A finger reaches 24 CSS pixels beyond what it touches, so pieces
// are picked up by a finger landing beside them and snap in when let go a
// little off their home.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');
const { WIDTH, HEIGHT } = require('../engines');

const kPhone = { width: 390, height: 844, pixelRatio: 3 };
const kOff = 8;  // CSS pixels between the finger and the piece, or its home
const kPieces = 4;

// The canvas's box on the page, in CSS pixels.
async function canvasBox(tab) {
  return tab.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  });
}

function onPage(box, x, y) {
  return { x: box.left + (x * box.width) / 1024, y: box.top + (y * box.height) / 768 };
}

// Distance in logical pixels from a point to a piece's rectangle.
function distance(p, x, y) {
  return Math.hypot(Math.max(p.x - x, x - (p.x + p.width), 0), Math.max(p.y - y, y - (p.y + p.height), 0));
}

// A loose piece and a point `gap` logical pixels beside it, off every
// loose piece and clearly nearer to it than to any other.
function landingBeside(s, gap, margin) {
  const loose = s.order.filter((i) => s.pieces[i].state === g.Piece.Loose);
  for (const index of loose) {
    const p = s.pieces[index], c = g.pieceCentre(p);
    const sides = [[c.x, p.y - gap], [c.x, p.y + p.height + gap], [p.x - gap, c.y], [p.x + p.width + gap, c.y]];
    for (const [x, y] of sides) {
      if (x < 8 || y < 8 || x > 1016 || y > 760) continue;
      const nearest = Math.min(...loose.filter((j) => j !== index).map((j) => distance(s.pieces[j], x, y)));
      if (nearest > gap + margin) return { index, x, y };
    }
  }
  return null;
}

// Waits until the finger's position (page pixels) has reached the game.
async function fingerAt(tab, box, at) {
  return g.waitForState(tab, 'the finger in the game', (t, c) =>
    t.pointer_is_touch === 1 && Math.abs(t.mouse_x - c.x) <= 1 && Math.abs(t.mouse_y - c.y) <= 1,
  { x: at.x - box.left, y: at.y - box.top });
}

test('on an upright phone a finger landing beside a mascot picks it up and its drop snaps', async ({ tab, engine, url, note }) => {
  try {
    await tab.resize(kPhone.width, kPhone.height, kPhone.pixelRatio, { closest: true });
    await g.openGame(tab, url);
    const screen = await tab.evaluate(() => ({ width: innerWidth, height: innerHeight, ratio: devicePixelRatio }));
    if (screen.width !== kPhone.width || screen.height !== kPhone.height || screen.ratio !== kPhone.pixelRatio) {
      assert.equal(engine, 'webkit', 'only WebKitGTK cannot be given the phone\'s screen');
      note(`played at ${screen.width} x ${screen.height}, device pixel ratio ${screen.ratio}: ` +
        "this engine's window is no narrower than its toolbar, and its driver cannot set the ratio");
    }
    if (tab.touchKind !== 'driver') note("touches made in the page as TouchEvents: this engine's driver sends W3C touch actions as mouse events");
    const box = await canvasBox(tab);

    // The mascot button, by finger too: lit by the touch, pressed after it.
    // A press the game did not take (its updates stand still for a moment
    // on a busy machine) is let go, which starts nothing, and made again.
    const button = onPage(box, 640, 632);
    for (let attempt = 0; ; ++attempt) {
      await tab.touchStart(button.x, button.y);
      try {
        await g.waitForState(tab, 'the button pressed by the finger', (t) => t.title_button_state === 12, null, 10000);
        break;
      } catch (error) {
        if (attempt >= 4) throw error;
        await tab.touchEnd();
      }
    }
    await tab.touchEnd();
    let s = await g.waitForPlay(tab, g.Mode.Mascot);
    assert.ok(Math.abs(s.window_scale - box.width / 1024) < 0.002, `scale ${s.window_scale} for a canvas ${box.width} wide`);
    assert.ok(s.window_scale < (screen.width + 1) / 1024, 'the picture as wide as the screen');
    const perCss = 1 / s.window_scale;  // logical pixels in a CSS pixel
    note(`a logical pixel is ${s.window_scale.toFixed(4)} CSS pixels; the finger reaches ${(24 * perCss).toFixed(1)} logical pixels`);

    for (let n = 0; n < kPieces; ++n) {
      let held = null, landing = null;
      for (let attempt = 0; !held; ++attempt) {
        landing = landingBeside(s, kOff * perCss, 3 * perCss);
        assert.ok(landing, 'a mascot with room beside it');
        assert.ok(distance(s.pieces[landing.index], landing.x, landing.y) > 0);
        const at = onPage(box, landing.x, landing.y);
        await tab.touchStart(at.x, at.y);
        try {
          held = await g.heldPiece(tab, 10000);
        } catch (error) {
          if (attempt >= 4) throw error;
          await tab.touchEnd();
          s = await g.state(tab);
        }
      }
      assert.equal(held.active_piece, landing.index, 'the mascot beside the finger is the one held');
      const home = g.homeCentre(held.pieces[landing.index]);
      // Let go 8 CSS pixels right of and above the home centre: beyond the
      // mouse's 10 logical pixels on both axes, within the finger's reach.
      const to = onPage(box, home.x + kOff * perCss, home.y - kOff * perCss);
      const from = onPage(box, landing.x, landing.y);
      for (let k = 1; k <= 3; ++k) await tab.touchMove(from.x + ((to.x - from.x) * k) / 3, from.y + ((to.y - from.y) * k) / 3);
      const there = await fingerAt(tab, box, to);
      const offX = (there.mouse_x * 1024) / (there.window_width - 18) - home.x;
      const offY = (there.mouse_y * 768) / (there.window_height - 44) - home.y;
      assert.ok(Math.abs(offX) > 10 && Math.abs(offY) > 10, `let go ${offX.toFixed(1)}, ${offY.toFixed(1)} off the home centre`);
      await tab.touchEnd();
      s = await g.placed(tab, landing.index);
      const p = s.pieces[landing.index];
      assert.deepEqual([p.x, p.y], [p.home_x, p.home_y], 'snapped home');
    }
    assert.equal(s.pieces_left, 95 - kPieces);
    assert.deepEqual(await g.pageErrors(tab), []);
  } finally {
    await tab.resize(WIDTH, HEIGHT);
  }
});
