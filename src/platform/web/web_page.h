// What the C++ side of the browser layer shares with the page: the canvas it
// draws on and the functions of the page's script library
// (page/library_pokomaru.js) that reach the browser's own facilities.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr const char* kCanvasSelector = "#canvas";

extern "C" {

// --- Text ------------------------------------------------------------------
// Decodes code page 932 bytes with the browser's Shift_JIS decoder into a
// malloc'd UTF-8 text of *size bytes (not terminated); null on failure.
char* pokomaru_decode_cp932(const char* bytes, std::size_t length, std::size_t* size);

// --- Frames ----------------------------------------------------------------
// Calls `show` at the start of the browser's next frame of its own, from an
// animation frame callback, once however often it is asked before then.
void pokomaru_show_at_next_frame(void (*show)(void));

// --- Images (the browser's decoder) ---------------------------------------
// Decodes PNG bytes into width x height RGBA bytes at `rgba`, unpremultiplied
// and without colour management; 1 on success, 0 when the browser cannot
// decode them or their size differs. Waits for the browser (Asyncify).
int pokomaru_decode_png(const std::uint8_t* data, std::size_t size, int width, int height, std::uint8_t* rgba);

// --- Canvas text -----------------------------------------------------------
// A font of the page: `family` (UTF-8) as the page registered it, bold or
// not, at an em size in pixels. Returns an id above 0, or 0 when the family
// was not loaded.
int pokomaru_font_make(const char* family, int bold, double em_pixels);
// The advance of one character in pixels, not rounded.
double pokomaru_font_advance(int font, std::uint32_t code_point);
// Rasterises one character into 8-bit coverage: fills info with width,
// height, left (from the pen) and top (above the baseline) and returns a
// malloc'd block of width x height bytes, or null for nothing to draw.
std::uint8_t* pokomaru_font_rasterise(int font, std::uint32_t code_point, int* info);

// --- Sound (WebAudio) ------------------------------------------------------
// Hands the bytes of a wave file (named for diagnostics) to the page, which
// decodes it in the background; the effect stays silent if it cannot be
// decoded.
void pokomaru_sound_load(int effect, const char* name, const std::uint8_t* data, std::size_t size);
// Plays a decoded effect once, overlapping whatever plays; nothing when it
// is not decoded (yet) or the page has no sound.
void pokomaru_sound_play(int effect);
// Stops the effect wherever it plays (every effect for -1); with `free`, the
// page also forgets the effect's sound.
void pokomaru_sound_stop(int effect, int free);

// --- Failure box -----------------------------------------------------------
// Shows a dialog over the page with a caption and a text (UTF-8) and an OK
// button; returns when OK is pressed (Asyncify).
void pokomaru_message_box(const char* caption, const char* text);
}
