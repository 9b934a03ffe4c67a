// Start-up faults that can be made to happen, to try the game's failure
// paths by hand: named in the environment variable POKOMARU_FAULT (a
// comma-separated list, e.g. "keyboard,mouse"). A test build can also
// switch them from code (platform/test_hooks.h); the game never does.
#pragma once

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

// The faults switched from code, and whether the environment still counts.
struct FaultSwitches {
    bool set[static_cast<int>(Fault::Count)] = {};
    bool read_environment = true;
};
FaultSwitches& fault_switches();
