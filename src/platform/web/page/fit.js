// Where the 4:3 picture goes in a window of any shape: as large as fits,
// centred, the rest left dark; and how many device pixels its drawing
// buffer has, so it stays sharp on high-density screens. Insets (the safe
// area of a screen with a notch or a home indicator, CSS pixels from each
// edge) are left out of the window first. Used by the page and by the
// tests under node.
(function (root) {
  'use strict';
  var kWidth = 1024, kHeight = 768;

  function inset(value) {
    return value > 0 && isFinite(value) ? value : 0;
  }

  function fitCanvas(windowWidth, windowHeight, devicePixelRatio, insets) {
    var edges = insets || {};
    var left = inset(edges.left), top = inset(edges.top);
    var w = Math.max(1, Math.floor((windowWidth || 0) - left - inset(edges.right)));
    var h = Math.max(1, Math.floor((windowHeight || 0) - top - inset(edges.bottom)));
    var ratio = devicePixelRatio > 0 && isFinite(devicePixelRatio) ? devicePixelRatio : 1;
    var cssHeight = Math.max(1, Math.floor(Math.min(h, (w * kHeight) / kWidth)));
    var cssWidth = Math.max(1, Math.min(w, Math.round((cssHeight * kWidth) / kHeight)));
    return {
      left: Math.floor(left + (w - cssWidth) / 2),
      top: Math.floor(top + (h - cssHeight) / 2),
      cssWidth: cssWidth,
      cssHeight: cssHeight,
      pixelWidth: Math.max(1, Math.round(cssWidth * ratio)),
      pixelHeight: Math.max(1, Math.round(cssHeight * ratio)),
    };
  }

  if (typeof module !== 'undefined' && module.exports) module.exports = { fitCanvas: fitCanvas };
  else root.pokomaruFit = fitCanvas;
})(this);
