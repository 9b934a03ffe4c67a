// Ways to make the platform fail or to watch what it shows, for tests and
// for trying the game's failure paths by hand. A fault can be named in the
// environment variable POKOMARU_FAULT (a comma-separated list, e.g.
// "keyboard,mouse"), or set from code.
#pragma once

#include <string>

// The names differ from the Win32 calls they break: Windows' headers make
// RegisterClass and CreateWindow macros.
enum class Fault {
    ClassRegistration,  // "register_class"
    WindowCreation,     // "create_window"
    Direct3D,         // "direct3d": no graphics system at all
    HardwareDevice,   // "hardware_device": no accelerated renderer
    AnyDevice,        // "any_device": no renderer of any kind
    Keyboard,         // "keyboard": no keyboard found
    Mouse,            // "mouse": no mouse found
    Controller,       // "controller": controllers are never found
    AudioPath,        // "audio_path": the sound system has no default path
    Count
};

bool fault_injected(Fault fault);
void set_fault(Fault fault, bool on);
void clear_faults();  // forgets both the code-set faults and the environment

// A clock that only moves when told: GetTickCount returns its value and
// Sleep advances it instead of waiting, so replays run exactly and fast.
void set_manual_clock(bool on, unsigned start_ms = 0);
bool manual_clock_on();
unsigned manual_clock_ms();
void advance_manual_clock(unsigned ms);

// Called with every message box the game shows (UTF-8), before it is shown.
using MessageBoxObserver = void (*)(const std::string& caption, const std::string& text);
void set_message_box_observer(MessageBoxObserver observer);
MessageBoxObserver message_box_observer();
// When set, message boxes are only reported to the observer, never shown.
void set_message_boxes_suppressed(bool suppressed);
bool message_boxes_suppressed();
