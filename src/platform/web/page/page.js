// The page around the game: fits the canvas to the window, loads the web
// fonts, keeps the record file in the browser's storage, shows the failure
// box, lets sound start with the first press, and makes the site work
// offline.
(function () {
  'use strict';
  var canvas = document.getElementById('canvas');
  var RECORD = '/game/data_save.dat';
  var STORE = '/persist';
  var STORED_RECORD = STORE + '/data_save.dat';
  var RECORD_BYTES = 4;

  // --- The canvas: the 4:3 picture as large as the window allows ----------
  // Kept inside the screen's safe area: on an iPad or a phone started from
  // the home screen the page runs under the status bar and beside the
  // notch. The insets are read from an element the style sheet pads with
  // them.
  var safeArea = document.getElementById('safe-area');
  function insets() {
    if (!safeArea || !window.getComputedStyle) return null;
    var style = window.getComputedStyle(safeArea);
    return {
      top: parseFloat(style.paddingTop), right: parseFloat(style.paddingRight),
      bottom: parseFloat(style.paddingBottom), left: parseFloat(style.paddingLeft),
    };
  }
  function fit() {
    var f = window.pokomaruFit(window.innerWidth, window.innerHeight, window.devicePixelRatio || 1, insets());
    canvas.style.left = f.left + 'px';
    canvas.style.top = f.top + 'px';
    canvas.style.width = f.cssWidth + 'px';
    canvas.style.height = f.cssHeight + 'px';
    if (canvas.width !== f.pixelWidth) canvas.width = f.pixelWidth;
    if (canvas.height !== f.pixelHeight) canvas.height = f.pixelHeight;
  }
  fit();
  window.addEventListener('resize', fit);
  // A change of zoom or of screen changes the device pixel ratio only.
  (function watchRatio() {
    var query = window.matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
    var again = function () {
      fit();
      watchRatio();
    };
    if (query.addEventListener) query.addEventListener('change', again, { once: true });
  })();

  ['contextmenu', 'selectstart', 'dragstart', 'gesturestart'].forEach(function (type) {
    document.addEventListener(type, function (e) { e.preventDefault(); }, { passive: false });
  });
  // The browser gives a dropped context back only to a page that asks.
  canvas.addEventListener('webglcontextlost', function (e) { e.preventDefault(); }, false);

  // --- Fonts: the served faces the game's face names map to --------------
  var faces = [
    { family: 'IPAMincho', file: 'fonts/ipam.woff2', weight: 'normal' },
    { family: 'IPAGothic', file: 'fonts/ipag.woff2', weight: 'normal' },
    { family: 'IPAexGothic', file: 'fonts/ipaexg.woff2', weight: 'normal' },
    { family: 'Noto Serif CJK JP', file: 'fonts/noto-serif-bold.woff2', weight: 'bold' },
  ];
  var loadedFonts = {};
  var fontsReady = Promise.all(
    faces.map(function (face) {
      loadedFonts[face.family] = false;
      if (typeof FontFace === 'undefined') return Promise.resolve();
      var font = new FontFace(face.family, 'url(' + face.file + ')', { weight: face.weight });
      return font.load().then(
        function (f) {
          document.fonts.add(f);
          loadedFonts[face.family] = true;
        },
        function () {}
      );
    })
  );

  // --- The failure box ----------------------------------------------------
  // The game ends after its box, as the program does; OK starts it afresh.
  function messageBox(caption, text, done) {
    var dialog = document.getElementById('failure');
    document.getElementById('failure-caption').textContent = caption;
    document.getElementById('failure-text').textContent = text;
    dialog.addEventListener(
      'close',
      function () {
        done();
        setTimeout(function () { location.reload(); }, 0);
      },
      { once: true }
    );
    if (dialog.showModal) dialog.showModal();
    else dialog.setAttribute('open', '');
  }

  // --- The record file in the browser's storage ---------------------------
  // game/data_save.dat lives in the program's memory file system like any
  // file; a copy is kept in IndexedDB and brought back at the next visit.
  // Without storage (private browsing, blocked, full) the game keeps its
  // best times for the session.
  var storage = { available: false, restored: false, saves: 0, failures: 0, syncing: false, again: false };

  function restoreRecord(M, done) {
    var FS = M.FS;
    try {
      FS.mkdirTree('/game');
      FS.mkdir(STORE);
      FS.mount(M.IDBFS, {}, STORE);
    } catch (e) {
      return done();
    }
    try {
      FS.syncfs(true, function (error) {
        if (!error) {
          storage.available = true;
          try {
            var bytes = FS.readFile(STORED_RECORD);
            // A stored record of any other size is not the game's: no record.
            if (bytes.length === RECORD_BYTES) {
              FS.writeFile(RECORD, bytes);
              storage.restored = true;
            }
          } catch (e) {}
        }
        done();
      });
    } catch (e) {
      done();
    }
  }

  function persist(M) {
    if (!storage.available) return;
    if (storage.syncing) {
      storage.again = true;
      return;
    }
    var FS = M.FS;
    try {
      FS.writeFile(STORED_RECORD, FS.readFile(RECORD));
    } catch (e) {
      storage.failures++;
      return;
    }
    storage.syncing = true;
    FS.syncfs(false, function (error) {
      storage.syncing = false;
      if (error) storage.failures++;
      else storage.saves++;
      if (storage.again) {
        storage.again = false;
        persist(M);
      }
    });
  }

  // The record is replaced by renaming a new file over it: every such
  // rename is a finished write, and is copied to storage.
  function watchRecord(M) {
    var FS = M.FS;
    var rename = FS.rename;
    FS.rename = function (from, to) {
      var result = rename.apply(this, arguments);
      if (to === RECORD || to === 'game/data_save.dat') persist(M);
      return result;
    };
  }

  // --- Sound starts with the player's first press ---------------------------
  // Browsers let a page's sound start only in an event that grants it the
  // user's activation: a key or a mouse button going down, but a finger's
  // touch only as it is lifted (touchend, or pointerup of a finger). The
  // context is resumed in every such event until it runs.
  function unlockSound(M) {
    var events = ['keydown', 'mousedown', 'pointerdown', 'pointerup', 'touchend', 'mouseup', 'click'];
    var stop = function () {
      events.forEach(function (type) { window.removeEventListener(type, unlock, true); });
    };
    var unlock = function () {
      var audio = M.pokomaruAudio;
      if (!audio) return;
      if (audio.state === 'running') return stop();
      var resumed = audio.resume();
      if (resumed && resumed.then) resumed.then(function () { if (audio.state === 'running') stop(); }, function () {});
    };
    events.forEach(function (type) { window.addEventListener(type, unlock, true); });
  }

  // --- Start ------------------------------------------------------------------
  var Module = {
    canvas: canvas,
    pokomaruFonts: loadedFonts,
    pokomaruStorage: storage,
    pokomaruMessageBox: messageBox,
    preRun: [
      function () {
        Module.addRunDependency('fonts');
        fontsReady.then(function () { Module.removeRunDependency('fonts'); });
      },
      function () {
        Module.addRunDependency('records');
        restoreRecord(Module, function () { Module.removeRunDependency('records'); });
        watchRecord(Module);
      },
    ],
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
  };
  window.pokomaru = Module;
  unlockSound(Module);
  createGame(Module).catch(function (error) {
    console.error(error);
  });

  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').catch(function () {});
  }
})();
