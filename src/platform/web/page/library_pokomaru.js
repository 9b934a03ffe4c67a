// The browser's facilities as the C++ side of the browser layer calls them
// (declared in web_page.h): its image decoding, canvas text, WebAudio and
// the failure dialog. Linked into the program with --js-library.

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
  // The canvas is drawn in the browser's frame, at its start, as a page
  // drawing in requestAnimationFrame does: the rasteriser then has the whole
  // frame for it.
  $pokomaruFrames: { asked: false },
  pokomaru_show_at_next_frame__deps: ['$pokomaruFrames', '$pokomaruSound'],
  pokomaru_show_at_next_frame: function (show) {
    var f = pokomaruFrames;
    if (f.asked) return;
    f.asked = true;
    requestAnimationFrame(function () {
      f.asked = false;
      {{{ makeDynCall('v', 'show') }}}();
      // The audio context is made once the first picture is on the canvas.
      if (!pokomaruSound.started) setTimeout(pokomaruSound.start, 0);
    });
  },

  // --- Images --------------------------------------------------------------
  // A PNG's pixels must reach the game exactly as the file has them, alpha
  // unpremultiplied: the texture blends them itself. Browsers differ in
  // which of their decoders keeps them so (an image decoder may give
  // premultiplied colours whatever it is asked; an image bitmap may have
  // been premultiplied and back, losing the low alphas' colours), so each
  // way is tried once on a small PNG of such pixels, and the first that
  // gives its bytes back exactly decodes every image after.
  $pokomaruImages__deps: ['$GL'],
  $pokomaruImages: {
    // 8 x 1 RGBA: low and middling alphas over colours that a round trip
    // through premultiplied alpha cannot keep, one transparent, one opaque.
    probe: 'iVBORw0KGgoAAAANSUhEUgAAAAgAAAABCAYAAADjAO9DAAAAKklEQVR4nGNodnTpPpFixPy/gZFRUMk49Bfrgn8MDAwMPCeS/zsoCAgCALrRCoXrYVk/AAAAAElFTkSuQmCC',
    probePixels: [131, 65, 68, 139, 200, 100, 50, 3, 255, 128, 1, 1, 17, 34, 51, 85, 250, 5, 160, 254, 0, 0, 0, 0,
      12, 200, 99, 255, 64, 32, 16, 17],
    chosen: null,  // a promise of the way taken, once asked

    // Reads an image source through a WebGL texture, unpremultiplied and
    // without colour management, on `gl`; every binding it touches is put
    // back as it was. Null when it cannot.
    readWith: function (gl, source, w, h) {
      var max = gl.getParameter(gl.MAX_TEXTURE_SIZE);
      if (w > max || h > max) return null;
      var was = {
        texture: gl.getParameter(gl.TEXTURE_BINDING_2D),
        framebuffer: gl.getParameter(gl.FRAMEBUFFER_BINDING),
        premultiply: gl.getParameter(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL),
        conversion: gl.getParameter(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL),
        flip: gl.getParameter(gl.UNPACK_FLIP_Y_WEBGL),
        pack: gl.getParameter(gl.PACK_ALIGNMENT),
      };
      var texture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, false);
      gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, gl.NONE);
      gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, false);
      gl.pixelStorei(gl.PACK_ALIGNMENT, 4);
      var pixels = null;
      try {
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, source);
        var framebuffer = gl.createFramebuffer();
        gl.bindFramebuffer(gl.FRAMEBUFFER, framebuffer);
        gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
        if (gl.checkFramebufferStatus(gl.FRAMEBUFFER) === gl.FRAMEBUFFER_COMPLETE) {
          pixels = new Uint8Array(w * h * 4);
          gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
        }
        gl.bindFramebuffer(gl.FRAMEBUFFER, was.framebuffer);
        gl.deleteFramebuffer(framebuffer);
      } catch (e) {
        pixels = null;
      }
      gl.bindTexture(gl.TEXTURE_2D, was.texture);
      gl.deleteTexture(texture);
      gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, was.premultiply);
      gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, was.conversion);
      gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, was.flip);
      gl.pixelStorei(gl.PACK_ALIGNMENT, was.pack);
      return pixels;
    },
    // Through WebGL: on the game's own context when it has one (a second
    // context costs the page most of a second on a software rasteriser),
    // else on one of its own.
    readThroughWebGL: function (source, w, h) {
      var game = GL.currentContext && GL.currentContext.GLctx;
      if (game && !game.isContextLost()) return pokomaruImages.readWith(game, source, w, h);
      var canvas = document.createElement('canvas');
      canvas.width = w;
      canvas.height = h;
      var gl = canvas.getContext('webgl', { premultipliedAlpha: false, antialias: false, depth: false });
      if (!gl) return null;
      var pixels = pokomaruImages.readWith(gl, source, w, h);
      var lose = gl.getExtension('WEBGL_lose_context');
      if (lose) lose.loseContext();
      return pixels;
    },
    // The ways to decode, best first. Each resolves to width x height RGBA
    // bytes, or null where it cannot decode them.
    ways: [
      {
        // The image decoder, on the CPU.
        name: 'image decoder',
        decode: function (bytes, width, height) {
          if (typeof ImageDecoder === 'undefined') return Promise.resolve(null);
          var decoder;
          try {
            decoder = new ImageDecoder({ data: bytes, type: 'image/png', premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
          } catch (e) {
            return Promise.resolve(null);
          }
          var close = function () { try { decoder.close(); } catch (e) {} };
          return decoder.decode({ frameIndex: 0 }).then(function (result) {
            var frame = result.image, format = frame.format;
            if (frame.codedWidth !== width || frame.codedHeight !== height || !/^(RGB|BGR)[AX]$/.test(format)) {
              frame.close();
              close();
              return null;
            }
            var pixels = new Uint8Array(width * height * 4);
            return frame.copyTo(pixels, { layout: [{ offset: 0, stride: width * 4 }] }).then(function () {
              frame.close();
              close();
              if (format.charAt(0) === 'B')
                for (var i = 0; i < pixels.length; i += 4) {
                  var b = pixels[i];
                  pixels[i] = pixels[i + 2];
                  pixels[i + 2] = b;
                }
              if (format.charAt(3) === 'X') for (var j = 3; j < pixels.length; j += 4) pixels[j] = 255;
              return pixels;
            });
          }).catch(function () {
            close();
            return null;
          });
        },
      },
      {
        // An image element, uploaded to a WebGL texture unpremultiplied: the
        // browser decodes it for WebGL as the file has it.
        name: 'image element',
        decode: function (bytes, width, height) {
          if (typeof Image === 'undefined' || typeof URL === 'undefined' || !URL.createObjectURL) return Promise.resolve(null);
          var url = URL.createObjectURL(new Blob([bytes], { type: 'image/png' }));
          var image = new Image();
          var loaded = new Promise(function (resolve, reject) {
            image.onload = resolve;
            image.onerror = reject;
          });
          image.src = url;
          return loaded.then(function () {
            URL.revokeObjectURL(url);
            if (image.naturalWidth !== width || image.naturalHeight !== height) return null;
            return pokomaruImages.readThroughWebGL(image, width, height);
          }, function () {
            URL.revokeObjectURL(url);
            return null;
          });
        },
      },
      {
        // An image bitmap asked for unpremultiplied, uploaded the same way.
        name: 'image bitmap',
        decode: function (bytes, width, height) {
          if (typeof createImageBitmap === 'undefined') return Promise.resolve(null);
          return createImageBitmap(new Blob([bytes], { type: 'image/png' }), { premultiplyAlpha: 'none', colorSpaceConversion: 'none' })
            .then(function (bitmap) {
              var pixels = bitmap.width === width && bitmap.height === height ? pokomaruImages.readThroughWebGL(bitmap, width, height) : null;
              if (bitmap.close) bitmap.close();
              return pixels;
            }, function () { return null; });
        },
      },
    ],
    // The way to decode: the first that gives the probe's bytes back
    // exactly; where none does, the first that decodes it at all.
    choose: function () {
      if (pokomaruImages.chosen) return pokomaruImages.chosen;
      var probe = Uint8Array.from(atob(pokomaruImages.probe), function (c) { return c.charCodeAt(0); });
      var expected = pokomaruImages.probePixels, ways = pokomaruImages.ways, fallback = null;
      var exact = function (pixels) {
        if (!pixels || pixels.length !== expected.length) return false;
        for (var i = 0; i < expected.length; ++i) if (pixels[i] !== expected[i]) return false;
        return true;
      };
      var attempt = function (k) {
        if (k >= ways.length) {
          Module['pokomaruImageDecoding'] = { way: fallback ? fallback.name : null, exact: false };
          return Promise.resolve(fallback);
        }
        return ways[k].decode(probe, expected.length / 4, 1).then(function (pixels) {
          if (exact(pixels)) {
            Module['pokomaruImageDecoding'] = { way: ways[k].name, exact: true };
            return ways[k];
          }
          if (pixels && !fallback) fallback = ways[k];
          return attempt(k + 1);
        }, function () { return attempt(k + 1); });
      };
      pokomaruImages.chosen = attempt(0);
      return pokomaruImages.chosen;
    },
  },

  pokomaru_decode_png__deps: ['$pokomaruImages'],
  pokomaru_decode_png: function (data, size, width, height, rgba) {
    return Asyncify.handleSleep(function (wakeUp) {
      var bytes = HEAPU8.slice(data, data + size);
      var done = function (pixels) {
        var ok = pixels && pixels.length === width * height * 4 ? 1 : 0;
        if (ok) HEAPU8.set(pixels, rgba);
        wakeUp(ok);
      };
      pokomaruImages.choose().then(function (way) {
        return way ? way.decode(bytes, width, height) : null;
      }).then(done, function () { done(null); });
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
    waiting: [],      // waves handed over before the sound started
    started: false,
    // Making the audio context costs the page a good part of a second on
    // some machines, so the sound starts once the game has drawn its first
    // picture; the waves handed over before wait for it.
    start: function () {
      if (pokomaruSound.started) return;
      pokomaruSound.started = true;
      var waiting = pokomaruSound.waiting;
      pokomaruSound.waiting = [];
      waiting.forEach(function (w) { pokomaruSound.decode(w.effect, w.bytes); });
    },
    decode: function (effect, bytes) {
      if (!pokomaruSound.started) {
        pokomaruSound.waiting.push({ effect: effect, bytes: bytes });
        return;
      }
      var audio = pokomaruSound.audio();
      if (!audio) return;
      audio.decodeAudioData(bytes.buffer).then(
        function (buffer) {
          if (effect in pokomaruSound.names) pokomaruSound.buffers[effect] = buffer;
        },
        function () {
          pokomaruSound.buffers[effect] = null;  // a corrupt wave: this effect stays silent
        }
      );
    },
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
    pokomaruSound.decode(effect, HEAPU8.slice(data, data + size));
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
