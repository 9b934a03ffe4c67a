// The game's one window: its creation and its window procedure, the only
// source of the game's input (mouse position, left button, activity, Escape).
#pragma once

#include "platform/window.h"
#include "state/platform_objects.h"  // main_window

bool create_main_window(HINSTANCE instance);
LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
