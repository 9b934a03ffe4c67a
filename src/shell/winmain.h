// The program's entry: start-up in its fixed order, the main loop and shutdown.
#pragma once

#include "platform/window.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, char* command_line, int show);
