// Where the 4:3 picture goes in a window of any shape: as large as fits,
// centred, the rest left dark; and how many device pixels its drawing
// buffer has, so it stays sharp on high-density screens. Used by the page
// and by the tests under node.
(function (root) {
  'use strict';
  var kWidth = 1024, kHeight = 768;

  function fitCanvas(windowWidth, windowHeight, devicePixelRatio) {
    var w = Math.max(1, Math.floor(windowWidth || 0));
    var h = Math.max(1, Math.floor(windowHeight || 0));
    var ratio = devicePixelRatio > 0 && isFinite(devicePixelRatio) ? devicePixelRatio : 1;
    var cssHeight = Math.max(1, Math.floor(Math.min(h, (w * kHeight) / kWidth)));
    var cssWidth = Math.max(1, Math.min(w, Math.round((cssHeight * kWidth) / kHeight)));
    return {
      left: Math.floor((w - cssWidth) / 2),
      top: Math.floor((h - cssHeight) / 2),
      cssWidth: cssWidth,
      cssHeight: cssHeight,
      pixelWidth: Math.max(1, Math.round(cssWidth * ratio)),
      pixelHeight: Math.max(1, Math.round(cssHeight * ratio)),
    };
  }

  if (typeof module !== 'undefined' && module.exports) module.exports = { fitCanvas: fitCanvas };
  else root.pokomaruFit = fitCanvas;
})(this);
