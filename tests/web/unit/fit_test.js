// The canvas's place in windows of every shape, under node.
'use strict';
const assert = require('assert/strict');
const { fitCanvas } = require('../../../src/platform/web/page/fit.js');

// A window of the picture's own shape is filled.
assert.deepEqual(fitCanvas(1024, 768, 1), { left: 0, top: 0, cssWidth: 1024, cssHeight: 768, pixelWidth: 1024, pixelHeight: 768 });
// Wider: dark bands left and right; taller: above and below; always 4:3.
let f = fitCanvas(1920, 1080, 1);
assert.deepEqual([f.left, f.top, f.cssWidth, f.cssHeight], [240, 0, 1440, 1080]);
f = fitCanvas(768, 1024, 1);
assert.deepEqual([f.left, f.top, f.cssWidth, f.cssHeight], [0, 224, 768, 576]);
for (const [w, h] of [[1366, 768], [1280, 800], [1180, 820], [375, 667], [333, 251]]) {
  f = fitCanvas(w, h, 1);
  assert.ok(f.cssWidth <= w && f.cssHeight <= h, `${w} x ${h} fits`);
  assert.ok(w - f.cssWidth <= 1 || h - f.cssHeight <= 1, `${w} x ${h} is as large as fits`);
  assert.ok(Math.abs(f.cssWidth * 3 - f.cssHeight * 4) <= 4, `${w} x ${h} keeps 4:3`);
  assert.equal(f.left, Math.floor((w - f.cssWidth) / 2));
}
// A high-density screen draws with its device pixels.
f = fitCanvas(1180, 820, 2);
assert.deepEqual([f.cssWidth, f.cssHeight, f.pixelWidth, f.pixelHeight], [1093, 820, 2186, 1640]);
// A screen's safe area: the picture keeps clear of the notch and the home
// indicator, centred in what is left.
f = fitCanvas(1180, 820, 2, { top: 24, bottom: 20, left: 0, right: 0 });
assert.deepEqual([f.left, f.top, f.cssWidth, f.cssHeight], [72, 24, 1035, 776]);
f = fitCanvas(844, 390, 3, { left: 47, right: 47, bottom: 21 });
assert.ok(f.left >= 47 && f.left + f.cssWidth <= 844 - 47 && f.top >= 0 && f.top + f.cssHeight <= 390 - 21);
assert.deepEqual(fitCanvas(1024, 768, 1, { top: NaN, left: -5 }), fitCanvas(1024, 768, 1));
// No window (a hidden frame) still gives a drawable canvas.
f = fitCanvas(0, 0, 0);
assert.ok(f.cssWidth >= 1 && f.pixelHeight >= 1);
console.log('canvas fit: passed');
