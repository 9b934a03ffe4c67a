// The browser's facilities as the C++ side of the browser layer calls them
// (declared in web_page.h): the image decoder, canvas text, WebAudio and the
// failure dialog. Linked into the program with --js-library.

mergeInto(LibraryManager.library, {
  // --- Text ----------------------------------------------------------------
  $pokomaruShiftJis: null,
  pokomaru_decode_cp932__deps: ['$pokomaruShiftJis', 'malloc'],
  pokomaru_decode_cp932: function (bytes, length, size) {
    if (!pokomaruShiftJis) pokomaruShiftJis = new TextDecoder('shift_jis');
    var text = pokomaruShiftJis.decode(HEAPU8.subarray(bytes, bytes + length));
    var n = lengthBytesUTF8(text);
    var out = _malloc(n + 1);
    if (!out) return 0;
    stringToUTF8(text, out, n + 1);
    HEAPU32[size >> 2] = n;
    return out;
  },

  // --- Frames --------------------------------------------------------------
  $pokomaruFrames: { due: true, asked: false },
  pokomaru_browser_frame_due__deps: ['$pokomaruFrames'],
  pokomaru_browser_frame_due: function () {
    var f = pokomaruFrames;
    var due = f.due;
    f.due = false;
    if (!f.asked) {
      f.asked = true;
      requestAnimationFrame(function () {
        f.asked = false;
        f.due = true;
      });
    }
    return due ? 1 : 0;
  },

  // --- Images --------------------------------------------------------------
  $pokomaruImages: {
    // The decoded bitmap's bytes exactly as the file has them: through a
    // WebGL texture read back unpremultiplied where WebGL is there, else
    // through a 2D canvas (exact for opaque pixels).
    read: function (bitmap) {
      var w = bitmap.width, h = bitmap.height;
      var canvas = document.createElement('canvas');
      canvas.width = w;
      canvas.height = h;
      var gl = canvas.getContext('webgl', { premultipliedAlpha: false, antialias: false, depth: false });
      if (gl && w <= gl.getParameter(gl.MAX_TEXTURE_SIZE) && h <= gl.getParameter(gl.MAX_TEXTURE_SIZE)) {
        var texture = gl.createTexture();
        gl.bindTexture(gl.TEXTURE_2D, texture);
        gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, false);
        gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, gl.NONE);
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, bitmap);
        var framebuffer = gl.createFramebuffer();
        gl.bindFramebuffer(gl.FRAMEBUFFER, framebuffer);
        gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
        var pixels = null;
        if (gl.checkFramebufferStatus(gl.FRAMEBUFFER) === gl.FRAMEBUFFER_COMPLETE) {
          pixels = new Uint8Array(w * h * 4);
          gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
        }
        var lose = gl.getExtension('WEBGL_lose_context');
        if (lose) lose.loseContext();
        if (pixels) return pixels;
      }
      var context = document.createElement('canvas');
      context.width = w;
      context.height = h;
      var c2d = context.getContext('2d', { willReadFrequently: true });
      if (!c2d) return null;
      c2d.drawImage(bitmap, 0, 0);
      return new Uint8Array(c2d.getImageData(0, 0, w, h).data.buffer);
    },
  },

  pokomaru_decode_png__deps: ['$pokomaruImages'],
  pokomaru_decode_png: function (data, size, width, height, rgba) {
    return Asyncify.handleSleep(function (wakeUp) {
      var bytes = HEAPU8.slice(data, data + size);
      var blob = new Blob([bytes], { type: 'image/png' });
      createImageBitmap(blob, { premultiplyAlpha: 'none', colorSpaceConversion: 'none' })
        .then(function (bitmap) {
          var ok = 0;
          if (bitmap.width === width && bitmap.height === height) {
            var pixels = pokomaruImages.read(bitmap);
            if (pixels && pixels.length === width * height * 4) {
              HEAPU8.set(pixels, rgba);
              ok = 1;
            }
          }
          if (bitmap.close) bitmap.close();
          wakeUp(ok);
        })
        .catch(function () {
          wakeUp(0);
        });
    });
  },

  // --- Canvas text ---------------------------------------------------------
  $pokomaruText: {
    fonts: [null],
    context: null,
    canvas: function () {
      if (!pokomaruText.context) {
        var canvas = document.createElement('canvas');
        canvas.width = 64;
        canvas.height = 64;
        // Transparent, so the browser draws grey coverage, never LCD colour.
        pokomaruText.context = canvas.getContext('2d', { willReadFrequently: true, alpha: true });
      }
      return pokomaruText.context;
    },
  },

  pokomaru_font_make__deps: ['$pokomaruText'],
  pokomaru_font_make: function (family, bold, em) {
    var name = UTF8ToString(family);
    var css = (bold ? 'bold ' : '') + em + 'px "' + name + '"';
    // One of the served faces that did not load is not there; any other name
    // is the browser's to find.
    var served = Module['pokomaruFonts'];
    if (served && Object.prototype.hasOwnProperty.call(served, name) && !served[name]) return 0;
    pokomaruText.fonts.push({ css: css, em: em, bold: !!bold });
    return pokomaruText.fonts.length - 1;
  },

  pokomaru_font_advance__deps: ['$pokomaruText'],
  pokomaru_font_advance: function (font, codePoint) {
    var f = pokomaruText.fonts[font];
    if (!f) return 0;
    var context = pokomaruText.canvas();
    context.font = f.css;
    return context.measureText(String.fromCodePoint(codePoint)).width;
  },

  pokomaru_font_rasterise__deps: ['$pokomaruText', 'malloc'],
  pokomaru_font_rasterise: function (font, codePoint, info) {
    var f = pokomaruText.fonts[font];
    if (!f) return 0;
    var text = String.fromCodePoint(codePoint);
    var context = pokomaruText.canvas();
    context.font = f.css;
    var m = context.measureText(text);
    // A margin for the antialiased edge and a synthesised bold stroke.
    var margin = 1 + (f.bold ? Math.ceil(f.em / 24) : 0);
    var left = Math.floor(-m.actualBoundingBoxLeft) - margin;
    var right = Math.ceil(m.actualBoundingBoxRight) + margin;
    var top = Math.ceil(m.actualBoundingBoxAscent) + margin;
    var bottom = Math.ceil(m.actualBoundingBoxDescent) + margin;
    var w = right - left, h = top + bottom;
    if (!(w > 0 && h > 0) || m.actualBoundingBoxRight + m.actualBoundingBoxLeft <= 0) return 0;
    var canvas = context.canvas;
    if (canvas.width < w || canvas.height < h) {
      canvas.width = Math.max(canvas.width, w);
      canvas.height = Math.max(canvas.height, h);
      context.font = f.css;
    }
    context.clearRect(0, 0, w, h);
    context.fillStyle = '#ffffff';
    context.textBaseline = 'alphabetic';
    context.fillText(text, -left, top);
    var rgba = context.getImageData(0, 0, w, h).data;
    var out = _malloc(w * h);
    if (!out) return 0;
    for (var i = 0, n = w * h; i < n; ++i) HEAPU8[out + i] = rgba[i * 4 + 3];
    HEAP32[info >> 2] = w;
    HEAP32[(info >> 2) + 1] = h;
    HEAP32[(info >> 2) + 2] = left;
    HEAP32[(info >> 2) + 3] = top;
    return out;
  },

  // --- Sound ---------------------------------------------------------------
  $pokomaruSound: {
    context: null,
    buffers: [],
    names: [],
    playing: [],  // the buffer sources still playing, with their effects
    // One context for the page; browsers start it suspended until the
    // player's first press, which resumes it (the page's script listens).
    audio: function () {
      if (!pokomaruSound.context) {
        var AudioContext = window.AudioContext || window.webkitAudioContext;
        if (!AudioContext) return null;
        try {
          pokomaruSound.context = new AudioContext();
        } catch (e) {
          return null;
        }
        Module['pokomaruAudio'] = pokomaruSound.context;
      }
      return pokomaruSound.context;
    },
  },

  pokomaru_sound_load__deps: ['$pokomaruSound'],
  pokomaru_sound_load: function (effect, name, data, size) {
    pokomaruSound.names[effect] = UTF8ToString(name);
    var audio = pokomaruSound.audio();
    if (!audio) return;
    var bytes = HEAPU8.slice(data, data + size);
    audio.decodeAudioData(bytes.buffer).then(
      function (buffer) {
        pokomaruSound.buffers[effect] = buffer;
      },
      function () {
        pokomaruSound.buffers[effect] = null;  // a corrupt wave: this effect stays silent
      }
    );
  },

  pokomaru_sound_play__deps: ['$pokomaruSound'],
  pokomaru_sound_play: function (effect) {
    var audio = pokomaruSound.context, buffer = pokomaruSound.buffers[effect];
    if (Module['pokomaruPlayed']) Module['pokomaruPlayed'](pokomaruSound.names[effect], !!(audio && buffer));
    if (!audio || !buffer) return;
    var source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.destination);
    var playing = { effect: effect, source: source };
    pokomaruSound.playing.push(playing);
    source.onended = function () {
      var i = pokomaruSound.playing.indexOf(playing);
      if (i >= 0) pokomaruSound.playing.splice(i, 1);
    };
    source.start();
  },

  // Stops an effect wherever it plays (every effect for -1); a freed effect
  // also forgets its sound.
  pokomaru_sound_stop__deps: ['$pokomaruSound'],
  pokomaru_sound_stop: function (effect, free) {
    pokomaruSound.playing.slice().forEach(function (p) {
      if (effect < 0 || p.effect === effect) {
        try { p.source.stop(); } catch (e) {}
      }
    });
    if (free && effect >= 0) {
      delete pokomaruSound.buffers[effect];
      delete pokomaruSound.names[effect];
    }
  },

  // --- Failure box ---------------------------------------------------------
  pokomaru_message_box: function (caption, text) {
    var captionText = UTF8ToString(caption), bodyText = UTF8ToString(text);
    Asyncify.handleSleep(function (wakeUp) {
      if (Module['pokomaruMessageBox']) Module['pokomaruMessageBox'](captionText, bodyText, function () { wakeUp(0); });
      else wakeUp(0);
    });
  },
});
