// The input devices start-up requires: the keyboard and the mouse, and the
// first usable game controller if one is attached. Nothing is ever read from
// them; the game's input comes from window messages. Each stage returns 1 on
// success and E_FAIL on failure.
#pragma once

#include "platform/win_types.h"

HRESULT init_keyboard(HINSTANCE instance);
HRESULT init_game_controller(HINSTANCE instance);
HRESULT init_mouse(HINSTANCE instance);

// Unacquires and releases the controller, the keyboard and the mouse, then
// the input system itself.
void release_input();
