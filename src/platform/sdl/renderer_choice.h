// Which SDL renderer a graphics device gets: an accelerated one where the
// machine has a GPU, SDL's software renderer otherwise. The game never calls
// the knobs below; tests use them to force the fallback from the accelerated
// renderer.
#pragma once

#include <SDL.h>

#include "platform/hosted/host_graphics.h"

// Which renderer kinds a presenter refuses, as if the machine lacked them.
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

// Makes the renderer a device asks for, with render targets; null (SDL's
// error set) when it is refused or cannot be made.
SDL_Renderer* make_sdl_renderer(SDL_Window* window, HostRenderer kind);
