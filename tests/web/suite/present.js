// The picture on the canvas: the back buffer stretched by whole multiples
// with nearest neighbour, so that at twice its size every pixel of it is a
// 2 x 2 block of exactly its colour, not a blend of its neighbours.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

// The canvas and the back buffer read at one moment, compared in the page:
// every canvas pixel against the back-buffer pixel its k x k block is of.
async function compareBlocks(tab) {
  return tab.evaluate(() => {
    const at = pokomaru._pokomaru_test_canvas();
    if (!at) return null;
    const w = pokomaru._pokomaru_test_canvas_width(), h = pokomaru._pokomaru_test_canvas_height();
    const canvas = new Uint32Array(pokomaru.HEAPU8.buffer, at, w * h).slice();
    const backAt = pokomaru._pokomaru_test_back_buffer();
    const back = new Uint32Array(pokomaru.HEAPU8.buffer, backAt, 1024 * 768);
    const k = Math.max(1, Math.floor(Math.min(w / 1024, h / 768)));
    let differing = 0, first = null, edges = 0;
    for (let y = 0; y < h; ++y)
      for (let x = 0; x < w; ++x) {
        const want = back[Math.floor(y / k) * 1024 + Math.floor(x / k)] & 0xffffff;
        const got = canvas[y * w + x] & 0xffffff;
        if (got !== want) {
          if (!first) first = { x, y, got: got.toString(16), want: want.toString(16) };
          ++differing;
        }
      }
    // Neighbours of different colours, which a linear stretch would blend.
    for (let i = 0; i + 1 < back.length; ++i) if ((back[i] ^ back[i + 1]) & 0xffffff) ++edges;
    return { w, h, k, differing, first, edges };
  });
}

// What the page is told before its scripts run: a device pixel ratio of 2
// where the driver cannot set one, and no WebGL 2 where WebGL 1 is tried.
function pageHooks(fakeRatio, version) {
  const lines = [];
  if (fakeRatio) lines.push("Object.defineProperty(window, 'devicePixelRatio', { get: () => 2, configurable: true });");
  if (version === 1)
    lines.push(
      'const getContext = HTMLCanvasElement.prototype.getContext;',
      "HTMLCanvasElement.prototype.getContext = function (kind, ...rest) { return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest); };",
      'HTMLCanvasElement.prototype.pokomaruGetContext = getContext;');
  else lines.push('HTMLCanvasElement.prototype.pokomaruGetContext = HTMLCanvasElement.prototype.getContext;');
  return { init: new Function(lines.join('\n')) };
}

for (const version of [2, 1]) {
  test(`at twice its size the canvas shows every back-buffer pixel as a 2 x 2 block of its colour, WebGL ${version}`, async ({ tab, url, note }) => {
    const driven = await tab.setDeviceScale(2);
    try {
      // Where the driver cannot set the ratio, the page is told it: its
      // canvas then gets the drawing buffer a ratio of 2 gives, in the same
      // 1024 x 768 CSS pixels.
      if (!driven) note("the driver cannot set the device pixel ratio: the page's window.devicePixelRatio is made 2");
      await g.openGame(tab, url, pageHooks(!driven, version));
      // The canvas's own context answers only to its own kind.
      const kind = await tab.evaluate(() => {
        const canvas = document.getElementById('canvas');
        return canvas.pokomaruGetContext('webgl2') ? 2 : canvas.pokomaruGetContext('webgl') ? 1 : 0;
      });
      assert.equal(kind, version, `the game draws with WebGL ${version}`);
      await g.clickTitleButton(tab, 380);
      const s = await g.waitForPlay(tab, g.Mode.Municipality);
      // A piece held: its info panel's text is on the picture too.
      const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
      await tab.mouseMove(from.x, from.y);
      await g.candidate(tab, from);
      await tab.mouseDown();
      await g.heldPiece(tab);
      await g.frames(tab, 30);
      const r = await compareBlocks(tab);
      await tab.mouseUp();
      assert.ok(r, 'the canvas read back');
      assert.deepEqual([r.w, r.h, r.k], [2048, 1536, 2], 'the drawing buffer at a ratio of 2');
      assert.ok(r.edges > 10000, `a picture with edges (${r.edges})`);
      assert.equal(r.differing, 0, `canvas pixels unlike their back-buffer pixel, the first ${JSON.stringify(r.first)}`);
      assert.deepEqual(await g.pageErrors(tab), []);
    } finally {
      if (driven) await tab.setDeviceScale(1);
    }
  });
}
