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

// Sets the window's title, in UTF-8, everywhere a desktop may read it: SDL's
// own title (_NET_WM_NAME) and, on X11, the legacy WM_NAME and WM_ICON_NAME
// as compound text, which is how Xlib carries text that is not Latin-1.
void set_window_title_utf8(SDL_Window* window, const char* title);
