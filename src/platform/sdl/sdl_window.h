// What the SDL backend knows about a window handle. The graphics device and
// the input devices of the SDL backend reach the SDL window through this.
#pragma once

#include <SDL.h>

#include "platform/window.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    bool destroyed = false;
};

inline SDL_Window* sdl_window_of(HWND window) { return window ? window->sdl : nullptr; }
