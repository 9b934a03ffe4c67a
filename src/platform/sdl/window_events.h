// How SDL events become window messages, exposed so tests can feed either
// SDL events or ready-made messages into the queue.
#pragma once

#include <SDL.h>

#include "platform/window.h"

void translate_sdl_event(const SDL_Event& event);
void post_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
