// The tests' hold on the graphics device of every platform but Windows: the
// frame check (support/frame_check.h) on its one after-present callback
// (platform/hosted/device_hooks.h), with what only this device counts, and
// its diagnostics under the names the tests use. The game program contains
// none of it.
#pragma once

#include "platform/graphics.h"
#include "platform/sdl/renderer_choice.h"
#include "support/frame_check.h"

// Which renderer kinds the next devices refuse, as if the machine lacked
// them (POKOMARU_REFUSE_RENDERERS, read whenever a device is made).
enum RendererRefusal : unsigned {
    RefuseNone = 0,
    RefuseAccelerated = 1,  // D3DDEVTYPE_HAL fails, in both vertex-processing kinds
    RefuseSoftware = 2,     // with RefuseAccelerated: D3DDEVTYPE_REF fails too
};
void sdl_graphics_refuse_renderers(unsigned refusal);
// Lets the accelerated renderer be made on a software OpenGL all the same
// (tests of the OpenGL path on a machine without a GPU;
// POKOMARU_ALLOW_SOFTWARE_GL).
void sdl_graphics_allow_software_gl(bool allow);

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
// full the plain way and compares it with the back buffer pixel for pixel;
// the check also counts the presents drawn by the device's savings and
// compares the window with the back buffer where it can.
void sdl_graphics_check_frames(IDirect3DDevice9* device, bool on);
FrameCheck sdl_graphics_frame_check(IDirect3DDevice9* device);
