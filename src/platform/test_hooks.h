// What test builds switch and watch in the platform beyond what the game
// does: start-up faults from code, a clock that only moves when told, and the
// message boxes the game shows. Only test builds link these (the platform's
// testing/ parts); the game program holds none of them.
#pragma once

#include <string>

#include "platform/faults.h"

// Switches a fault on or off from code, on top of POKOMARU_FAULT.
void set_fault(Fault fault, bool on);
void clear_faults();  // forgets both the code-set faults and the environment

// A clock that only moves when told: GetTickCount returns its value and
// Sleep advances it instead of waiting, so replays run exactly and fast.
// (The test build's backend clock, sdl/testing/.)
void set_manual_clock(bool on, unsigned start_ms = 0);
bool manual_clock_on();
unsigned manual_clock_ms();
void advance_manual_clock(unsigned ms);

// Called with every message box the game shows (UTF-8).
using MessageBoxObserver = void (*)(const std::string& caption, const std::string& text);
void set_message_box_observer(MessageBoxObserver observer);
// When set, message boxes are only reported to the observer, never shown.
void set_message_boxes_suppressed(bool suppressed);
