#include "platform/sdl/sdl_window.h"

HINSTANCE platform_instance() { return nullptr; }
