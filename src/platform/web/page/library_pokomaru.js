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
  pokomaru_browser_frame_due__deps: ['$pokomaruFrames', '$pokomaruSound'],
  pokomaru_browser_frame_due: function () {
    var f = pokomaruFrames;
    if (!pokomaruSound.started) setTimeout(pokomaruSound.start, 0);  // the first picture is on its way
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
  $pokomaruImages__deps: ['$GL'],
  $pokomaruImages: {
    // Reads a bitmap through a WebGL texture, unpremultiplied, on `gl`;
    // every binding it touches is put back as it was. Null when it cannot.
    readWith: function (gl, bitmap) {
      var w = bitmap.width, h = bitmap.height, max = gl.getParameter(gl.MAX_TEXTURE_SIZE);
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
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, bitmap);
      var framebuffer = gl.createFramebuffer();
      gl.bindFramebuffer(gl.FRAMEBUFFER, framebuffer);
      gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
      var pixels = null;
      if (gl.checkFramebufferStatus(gl.FRAMEBUFFER) === gl.FRAMEBUFFER_COMPLETE) {
        pixels = new Uint8Array(w * h * 4);
        gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
      }
      gl.bindFramebuffer(gl.FRAMEBUFFER, was.framebuffer);
      gl.deleteFramebuffer(framebuffer);
      gl.bindTexture(gl.TEXTURE_2D, was.texture);
      gl.deleteTexture(texture);
      gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, was.premultiply);
      gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, was.conversion);
      gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, was.flip);
      gl.pixelStorei(gl.PACK_ALIGNMENT, was.pack);
      return pixels;
    },
    // The first frame of a PNG through the browser's image decoder, as RGBA
    // bytes unpremultiplied and without colour management; resolves to null
    // where the browser has no such decoder or the frame is not width x
    // height 8-bit RGBA or BGRA.
    decodeFrame: function (bytes, width, height) {
      if (typeof ImageDecoder === 'undefined') return Promise.resolve(null);
      var decoder;
      try {
        decoder = new ImageDecoder({ data: bytes, type: 'image/png', premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
      } catch (e) {
        return Promise.resolve(null);
      }
      return decoder.decode({ frameIndex: 0 }).then(function (result) {
        var frame = result.image, pixels = null;
        var format = frame.format;
        if (frame.codedWidth === width && frame.codedHeight === height && (format === 'RGBA' || format === 'BGRA' || format === 'RGBX' || format === 'BGRX')) {
          pixels = new Uint8Array(width * height * 4);
          return frame.copyTo(pixels, { layout: [{ offset: 0, stride: width * 4 }] }).then(function () {
            frame.close();
            decoder.close();
            if (format.charAt(0) === 'B')
              for (var i = 0; i < pixels.length; i += 4) {
                var b = pixels[i];
                pixels[i] = pixels[i + 2];
                pixels[i + 2] = b;
              }
            if (format.charAt(3) === 'X') for (var j = 3; j < pixels.length; j += 4) pixels[j] = 255;
            return pixels;
          });
        }
        frame.close();
        decoder.close();
        return null;
      }).catch(function () {
        try { decoder.close(); } catch (e) {}
        return null;
      });
    },
    // The decoded bitmap's bytes exactly as the file has them: through a
    // WebGL texture read back unpremultiplied (on the game's own context
    // when it has one: a second context costs the page most of a second on
    // a software rasteriser), else through a 2D canvas (exact for opaque
    // pixels).
    read: function (bitmap) {
      var w = bitmap.width, h = bitmap.height, pixels = null;
      var game = GL.currentContext && GL.currentContext.GLctx;
      if (game && !game.isContextLost()) pixels = pokomaruImages.readWith(game, bitmap);
      if (!pixels) {
        var canvas = document.createElement('canvas');
        canvas.width = w;
        canvas.height = h;
        var gl = canvas.getContext('webgl', { premultipliedAlpha: false, antialias: false, depth: false });
        if (gl) {
          pixels = pokomaruImages.readWith(gl, bitmap);
          var lose = gl.getExtension('WEBGL_lose_context');
          if (lose) lose.loseContext();
        }
      }
      if (pixels) return pixels;
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
      var done = function (pixels) {
        var ok = pixels && pixels.length === width * height * 4 ? 1 : 0;
        if (ok) HEAPU8.set(pixels, rgba);
        wakeUp(ok);
      };
      var throughBitmap = function () {
        var blob = new Blob([bytes], { type: 'image/png' });
        createImageBitmap(blob, { premultiplyAlpha: 'none', colorSpaceConversion: 'none' })
          .then(function (bitmap) {
            var pixels = bitmap.width === width && bitmap.height === height ? pokomaruImages.read(bitmap) : null;
            if (bitmap.close) bitmap.close();
            done(pixels);
          })
          .catch(function () {
            done(null);
          });
      };
      // The image decoder gives the file's own bytes, unpremultiplied, on the
      // CPU; where the browser has none, an image bitmap read back exactly.
      pokomaruImages.decodeFrame(bytes, width, height).then(function (pixels) {
        if (pixels) done(pixels);
        else throughBitmap();
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
