// How SDL events become the hosted layer's window events, exposed so tests
// can feed SDL events (or, through hosted/window_queue.h, ready-made
// messages) into the queue.
#pragma once

#include <SDL.h>

#include "platform/hosted/window_queue.h"

void translate_sdl_event(const SDL_Event& event);
