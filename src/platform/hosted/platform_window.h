// What a window handle (HWND) is on every platform but Windows: the
// backend's own window and the window procedure the game registered for it.
// The hosted layer makes and owns these; a backend reaches its window
// through `host`.
#pragma once

#include "platform/hosted/host_window.h"
#include "platform/window.h"

struct PlatformWindow {
    HostWindow* host = nullptr;
    WNDPROC proc = nullptr;
    bool destroyed = false;  // DestroyWindow ran; the backend's window lives on until its class goes
};

inline HostWindow* host_window_of(HWND window) { return window ? window->host : nullptr; }
