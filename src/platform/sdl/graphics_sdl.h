// Test and diagnostic hooks of the SDL graphics device. The game itself
// never calls these; tests use them to force the fallback from the
// accelerated renderer and to simulate a lost device.
#pragma once

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

// The SDL render driver of a device made by CreateDevice ("opengl",
// "software", ...), or null.
const char* sdl_graphics_renderer_name(IDirect3DDevice9* device);

// How many presents found the frame identical to the one already shown and
// so drew nothing.
unsigned long sdl_graphics_skipped_presents(IDirect3DDevice9* device);

// Makes the next present draw even if the frame is unchanged (as a window
// event does), so benchmarks can measure the drawing itself.
void sdl_graphics_force_redraw(IDirect3DDevice9* device);

// Drops the contents of every texture the device holds, the way a real
// device reset does, and raises SDL's render-device-reset event, so that
// TestCooperativeLevel reports the loss until Reset.
void sdl_graphics_simulate_device_loss(IDirect3DDevice9* device);
