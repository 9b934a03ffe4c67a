// The hosted message queue's doors for a backend and for tests: a backend
// event becomes the window messages the game handles, and a ready-made
// message can be queued as it is.
#pragma once

#include "platform/hosted/host_window.h"
#include "platform/window.h"

void post_host_event(const HostEvent& event);
void post_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
