// The tests' hold on the graphics device of every platform but Windows: the
// frame check (every present compared, pixel for pixel, with a full plain
// drawing of its frame) and the device's diagnostics under the names the
// tests use. Built over the device's one after-present callback
// (platform/hosted/device_hooks.h); the game program contains none of it.
#pragma once

#include <cstdint>

#include "platform/graphics.h"
#include "platform/sdl/renderer_choice.h"

// The SDL render driver of a device made by CreateDevice ("opengl",
// "software", ...), or null.
const char* sdl_graphics_renderer_name(IDirect3DDevice9* device);

// How many presents found the frame identical to the one already shown and
// so drew nothing.
unsigned long sdl_graphics_skipped_presents(IDirect3DDevice9* device);

// Makes the next present draw even if the frame is unchanged, so benchmarks
// can measure the drawing itself.
void sdl_graphics_force_redraw(IDirect3DDevice9* device);

// Drops what a real device reset drops (the textures of a GPU renderer, the
// cached layer; the software renderer's textures are plain memory and stay)
// and raises SDL's render-device-reset event, so that TestCooperativeLevel
// reports the loss until Reset.
void sdl_graphics_simulate_device_loss(IDirect3DDevice9* device);

// Turns the cached unchanged prefix and the unblended drawing of opaque
// quads on or off; both are on by default.
void sdl_graphics_set_frame_cache(IDirect3DDevice9* device, bool cached_prefix, bool opaque_shortcut);
// How many presents started from the cached layer.
unsigned long sdl_graphics_cached_presents(IDirect3DDevice9* device);
// Turns on or off the drawing of a changed frame only inside the rectangles
// where it differs from the last one (on by default, with the cached layer).
void sdl_graphics_set_damage_redraw(IDirect3DDevice9* device, bool on);
// How many presents drew only the changed rectangles.
unsigned long sdl_graphics_damaged_presents(IDirect3DDevice9* device);

// With checking on, every present (drawn or skipped) also draws its frame in
// full the plain way and compares it with the back buffer pixel for pixel.
struct FrameCheck {
    unsigned long frames = 0;            // presents compared
    unsigned long unchecked = 0;         // frames that do not start with a full clear
    unsigned long cached = 0;            // presents that started from the cached layer
    unsigned long damaged = 0;           // presents that drew only the changed rectangles
    unsigned long differing_frames = 0;  // presents whose pictures differed
    unsigned long first_frame = 0;       // the first of them (1 = the first compared)
    int first_x = 0, first_y = 0;        // its first differing pixel
    std::uint32_t full = 0, shown = 0;   // in the full drawing and on the back buffer
    // Where the window keeps its picture (the software renderer) at the back
    // buffer's size, it is compared with the back buffer too.
    unsigned long window_frames = 0;            // presents whose window was compared
    unsigned long window_differing_frames = 0;  // windows that differed from the back buffer
    unsigned long window_first_frame = 0;
    int window_first_x = 0, window_first_y = 0;
};
void sdl_graphics_check_frames(IDirect3DDevice9* device, bool on);
FrameCheck sdl_graphics_frame_check(IDirect3DDevice9* device);
