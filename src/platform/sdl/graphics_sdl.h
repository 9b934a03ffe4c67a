// Test and diagnostic hooks of the SDL graphics device. The game itself
// never calls these; tests use them to force the fallback from the
// accelerated renderer and to simulate a lost device.
#pragma once

#include <cstdint>

#include "platform/graphics.h"

// Which renderer kinds CreateDevice refuses, as if the machine lacked them.
// Also read once from the environment variable POKOMARU_REFUSE_RENDERERS
// ("accelerated" or "all") when the first device is created.
enum RendererRefusal : unsigned {
    RefuseNone = 0,
    RefuseAccelerated = 1,  // D3DDEVTYPE_HAL fails, in both vertex-processing kinds
    RefuseSoftware = 2,     // D3DDEVTYPE_REF fails
};
void sdl_graphics_refuse_renderers(unsigned refusal);

// Whether the only OpenGL on this machine rasterises on the CPU (no GPU
// render node, or Mesa told to use software); the accelerated device kinds
// are then refused, so the game falls back to SDL's software renderer
// without any OpenGL mapped. A GL renderer that names a software rasteriser
// once made is refused as well.
bool only_software_gl_here();
// Lets the accelerated renderer be made on a software OpenGL all the same
// (tests of the OpenGL path on a machine without a GPU). Also read once from
// the environment variable POKOMARU_ALLOW_SOFTWARE_GL.
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

// Turns the cached unchanged prefix (the back buffer after the commands a
// frame shares with the last one, kept and copied instead of drawn again)
// and the unblended drawing of opaque quads on or off; both are on by
// default.
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
