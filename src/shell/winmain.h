// The program's entry: start-up in its fixed order, the main loop and shutdown.
#pragma once

#include "platform/window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);
