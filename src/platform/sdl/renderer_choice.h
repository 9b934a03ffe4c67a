// Which SDL renderer a graphics device gets: an accelerated one where the
// machine has a GPU, SDL's software renderer otherwise. Two environment
// variables, read whenever a device is made, change the choice (README):
// POKOMARU_REFUSE_RENDERERS ("accelerated" or "all") refuses renderer kinds
// as if the machine lacked them, and POKOMARU_ALLOW_SOFTWARE_GL lets the
// accelerated renderer be made on an OpenGL that only rasterises on the CPU.
#pragma once

#include <SDL.h>

#include "platform/hosted/host_graphics.h"

// Whether the only OpenGL on this machine rasterises on the CPU (no GPU
// render node, or Mesa told to use software); the accelerated device kinds
// are then refused, so the game falls back to SDL's software renderer
// without any OpenGL mapped (unless POKOMARU_ALLOW_SOFTWARE_GL is set). A GL
// renderer that names a software rasteriser once made is refused as well.
bool only_software_gl_here();

// Makes the renderer a device asks for, with render targets; null (SDL's
// error set) when it is refused or cannot be made.
SDL_Renderer* make_sdl_renderer(SDL_Window* window, HostRenderer kind);
