// Loaded first by the test copy of the site (never by the site itself): what
// the browser tests note of a page in every engine alike, without a
// driver's own hooks. A test asks for more in the address's fragment, as
// JSON: { "init": code run now, before the page's scripts; "beforeMain":
// code run with the program's file system just before the game starts }.
// Noted: every effect the game plays (window.pokomaruEffects), every error
// and console error (window.pokomaruErrors, kept over reloads in the
// session's storage), and when the first frame reached the screen
// (window.pokomaruFirstFrame, milliseconds from the navigation's start).
(function () {
  'use strict';
  var config = {};
  try {
    if (location.hash.length > 1) config = JSON.parse(decodeURIComponent(location.hash.slice(1)));
  } catch (e) {}

  var ERRORS = 'pokomaruErrors';
  var errors = [];
  try { errors = JSON.parse(sessionStorage.getItem(ERRORS) || '[]'); } catch (e) {}
  window.pokomaruErrors = errors;
  function note(text) {
    errors.push(String(text));
    try { sessionStorage.setItem(ERRORS, JSON.stringify(errors)); } catch (e) {}
  }
  window.addEventListener('error', function (e) { note(e.message || 'error'); });
  window.addEventListener('unhandledrejection', function (e) { note('unhandled rejection: ' + (e.reason && e.reason.message || e.reason)); });
  var consoleError = console.error;
  console.error = function () {
    note(Array.prototype.map.call(arguments, String).join(' '));
    return consoleError.apply(console, arguments);
  };

  window.pokomaruEffects = [];
  if (config.init) (0, eval)(config.init);
  var beforeMain = config.beforeMain ? (0, eval)('(' + config.beforeMain + ')') : null;

  Object.defineProperty(window, 'pokomaru', {
    configurable: true,
    set: function (module) {
      module.pokomaruPlayed = function (effect, audible) { window.pokomaruEffects.push({ effect: effect, audible: audible }); };
      module.onRuntimeInitialized = function () { if (beforeMain) beforeMain(module.FS); };
      Object.defineProperty(window, 'pokomaru', { value: module, writable: true, configurable: true });
    },
  });

  (function watchFirstFrame() {
    var m = window.pokomaru;
    if (m && m.calledRun && m._pokomaru_test_presents_shown && m._pokomaru_test_presents_shown() > 0) {
      window.pokomaruFirstFrame = performance.now();
      return;
    }
    requestAnimationFrame(watchFirstFrame);
  })();
})();
