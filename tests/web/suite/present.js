// The picture on the canvas: every pixel of the back buffer drawn in its own
// colour over the canvas pixels it covers, blended with its neighbour only
// in the canvas pixel that straddles their border. At twice its size each
// pixel is so a 2 x 2 block of exactly its colour.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

// The canvas and the back buffer read at one moment, compared in the page.
// A canvas pixel that lies within one back-buffer pixel must be its colour
// exactly; one over a border must lie between the colours of the pixels it
// covers (by 1 for the blend's rounding).
async function compareWithBackBuffer(tab) {
  return tab.evaluate(() => {
    const at = pokomaru._pokomaru_test_canvas();
    if (!at) return null;
    const w = pokomaru._pokomaru_test_canvas_width(), h = pokomaru._pokomaru_test_canvas_height();
    const canvas = new Uint32Array(pokomaru.HEAPU8.buffer, at, w * h).slice();
    const backAt = pokomaru._pokomaru_test_back_buffer();
    const back = new Uint32Array(pokomaru.HEAPU8.buffer, backAt, 1024 * 768);
    const stretch = Math.min(w / 1024, h / 768);
    // The back-buffer pixels canvas pixel j covers, along one axis.
    const span = (j) => [Math.floor(j / stretch), Math.ceil((j + 1) / stretch) - 1];
    let exact = 0, exactWrong = 0, between = 0, betweenWrong = 0, first = null;
    for (let y = 0; y < h; ++y) {
      const [y0, y1] = span(y);
      for (let x = 0; x < w; ++x) {
        const [x0, x1] = span(x);
        const got = canvas[y * w + x];
        if (x0 === x1 && y0 === y1) {
          ++exact;
          const want = back[y0 * 1024 + x0];
          if ((got ^ want) & 0xffffff) {
            ++exactWrong;
            if (!first) first = { x, y, got: (got & 0xffffff).toString(16), want: (want & 0xffffff).toString(16) };
          }
          continue;
        }
        ++between;
        let outside = false;
        for (let shift = 0; shift < 24; shift += 8) {
          let lo = 255, hi = 0;
          for (let ty = y0; ty <= Math.min(y1, 767); ++ty)
            for (let tx = x0; tx <= Math.min(x1, 1023); ++tx) {
              const v = (back[ty * 1024 + tx] >>> shift) & 255;
              lo = Math.min(lo, v);
              hi = Math.max(hi, v);
            }
          const v = (got >>> shift) & 255;
          if (v < lo - 1 || v > hi + 1) outside = true;
        }
        if (outside) ++betweenWrong;
      }
    }
    // Neighbours of different colours, which a linear stretch would blend.
    let edges = 0;
    for (let i = 0; i + 1 < back.length; ++i) if ((back[i] ^ back[i + 1]) & 0xffffff) ++edges;
    return { w, h, exact, exactWrong, between, betweenWrong, first, edges };
  });
}

// What the page is told before its scripts run: the device pixel ratio
// where the driver cannot set one, and no WebGL 2 where WebGL 1 is tried.
function pageHooks(fakeRatio, version) {
  const lines = [];
  if (fakeRatio) lines.push(`Object.defineProperty(window, 'devicePixelRatio', { get: () => ${fakeRatio}, configurable: true });`);
  if (version === 1)
    lines.push(
      'const getContext = HTMLCanvasElement.prototype.getContext;',
      "HTMLCanvasElement.prototype.getContext = function (kind, ...rest) { return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest); };",
      'HTMLCanvasElement.prototype.pokomaruGetContext = getContext;');
  else lines.push('HTMLCanvasElement.prototype.pokomaruGetContext = HTMLCanvasElement.prototype.getContext;');
  return { init: new Function(lines.join('\n')) };
}

const cases = [
  { ratio: 2, version: 2, what: 'at twice its size every back-buffer pixel is a 2 x 2 block of its colour' },
  { ratio: 2, version: 1, what: 'at twice its size every back-buffer pixel is a 2 x 2 block of its colour' },
  { ratio: 1.5, version: 2, what: 'at 1.5 times its size only the canvas pixels on borders are blends' },
];

for (const { ratio, version, what } of cases) {
  test(`the canvas: ${what}, WebGL ${version}`, async ({ tab, url, note }) => {
    const driven = await tab.setDeviceScale(ratio);
    try {
      // Where the driver cannot set the ratio, the page is told it: its
      // canvas then gets the drawing buffer that ratio gives, in the same
      // 1024 x 768 CSS pixels.
      if (!driven) note(`the driver cannot set the device pixel ratio: the page's window.devicePixelRatio is made ${ratio}`);
      await g.openGame(tab, url, pageHooks(driven ? 0 : ratio, version));
      // The canvas's own context answers only to its own kind.
      const kind = await tab.evaluate(() => {
        const canvas = document.getElementById('canvas');
        return canvas.pokomaruGetContext('webgl2') ? 2 : canvas.pokomaruGetContext('webgl') ? 1 : 0;
      });
      assert.equal(kind, version, `the game draws with WebGL ${version}`);
      if (ratio === 2 && version === 2)
        note(`WebGL renderer: ${await tab.evaluate(() => {
          const gl = document.createElement('canvas').getContext('webgl');
          const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
          return gl ? gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER) : 'none';
        })}`);
      await g.clickTitleButton(tab, 380);
      const s = await g.waitForPlay(tab, g.Mode.Municipality);
      // A piece held: its info panel's text is on the picture too.
      const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
      await tab.mouseMove(from.x, from.y);
      await g.candidate(tab, from);
      await tab.mouseDown();
      await g.heldPiece(tab);
      await g.frames(tab, 30);
      const r = await compareWithBackBuffer(tab);
      await tab.mouseUp();
      assert.ok(r, 'the canvas read back');
      assert.deepEqual([r.w, r.h], [1024 * ratio, 768 * ratio], `the drawing buffer at a ratio of ${ratio}`);
      assert.ok(r.edges > 10000, `a picture with edges (${r.edges})`);
      assert.equal(r.exactWrong, 0, `canvas pixels unlike the back-buffer pixel they lie in, of ${r.exact}; the first ${JSON.stringify(r.first)}`);
      assert.equal(r.betweenWrong, 0, `canvas pixels on borders outside their neighbours' colours, of ${r.between}`);
      if (ratio === 2) assert.equal(r.between, 0);
      assert.deepEqual(await g.pageErrors(tab), []);
    } finally {
      if (driven) await tab.setDeviceScale(1);
    }
  });
}
