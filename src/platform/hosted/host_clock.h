// The clock a backend gives the hosted layer: milliseconds since some fixed
// start, and a sleep. In the browser the sleep yields to the page
// (an asynchronous sleep), so the game's own loop stays as it is.
#pragma once

#include <cstdint>

std::uint64_t host_ticks_ms();
void host_sleep_ms(std::uint32_t milliseconds);
