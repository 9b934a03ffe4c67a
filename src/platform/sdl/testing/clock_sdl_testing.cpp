// The test build's clock on SDL (host_clock.h): SDL's, or a manual one that
// only moves when told (test_hooks.h), so that replays run exactly and fast.
// It takes the place of clock_sdl.cpp in every test program that uses it.
#include <SDL.h>

#include "platform/hosted/host_clock.h"
#include "platform/test_hooks.h"

namespace {
struct ManualClock {
    bool on = false;
    unsigned ms = 0;
};
ManualClock& manual_clock() {
    static ManualClock c;
    return c;
}
}  // namespace

void set_manual_clock(bool on, unsigned start_ms) {
    manual_clock().on = on;
    manual_clock().ms = start_ms;
}
bool manual_clock_on() { return manual_clock().on; }
unsigned manual_clock_ms() { return manual_clock().ms; }
void advance_manual_clock(unsigned ms) { manual_clock().ms += ms; }

std::uint64_t host_ticks_ms() { return manual_clock().on ? manual_clock().ms : SDL_GetTicks64(); }

void host_sleep_ms(std::uint32_t milliseconds) {
    if (manual_clock().on)
        advance_manual_clock(milliseconds);
    else
        SDL_Delay(milliseconds);
}
