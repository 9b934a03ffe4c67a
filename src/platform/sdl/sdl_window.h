// What the SDL backend's window is. The graphics device and the input
// devices of the SDL backend reach the SDL window of a window handle
// through this.
#pragma once

#include <SDL.h>

#include "platform/hosted/platform_window.h"

struct HostWindow {
    SDL_Window* sdl = nullptr;
};

inline SDL_Window* sdl_window_of(HWND window) { return window && window->host ? window->host->sdl : nullptr; }

// Sets the window's title, in UTF-8, everywhere a desktop may read it: SDL's
// own title (_NET_WM_NAME) and, on X11, the legacy WM_NAME and WM_ICON_NAME
// as compound text, which is how Xlib carries text that is not Latin-1.
void set_window_title_utf8(SDL_Window* window, const char* title);

// On X11: sets WM_NAME and WM_ICON_NAME of the X window under `window` to
// `title` (UTF-8) as compound text and returns that X window; 0 elsewhere
// or when the text cannot be converted.
unsigned long set_legacy_x11_title(SDL_Window* window, const char* title);
// The X window under an SDL window (0 when not on X11). A renderer may
// recreate it, which is how the title's properties get lost.
unsigned long x11_window_of(SDL_Window* window);

// Starts SDL's video and events with the hints the game needs; false when
// there is no video at all.
bool ensure_sdl_video();
