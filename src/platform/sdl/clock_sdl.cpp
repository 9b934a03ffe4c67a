// The clock on SDL (host_clock.h): SDL's millisecond ticks and its delay.
// Kept in a file of its own: a test build links a clock of its own instead
// (testing/clock_sdl_testing.cpp).
#include <SDL.h>

#include "platform/hosted/host_clock.h"

std::uint64_t host_ticks_ms() { return SDL_GetTicks64(); }

void host_sleep_ms(std::uint32_t milliseconds) { SDL_Delay(milliseconds); }
