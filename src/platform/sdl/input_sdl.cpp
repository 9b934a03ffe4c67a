// The input devices on SDL (host_input.h).
//
// Implements: whether a keyboard and a mouse exist (on X11 the master
// keyboard and master pointer, asked of the X server's input extension;
// under other video drivers, such as offscreen in tests, the virtual ones
// that driver provides); game controllers as SDL's joysticks, with their
// names, product bytes and counts of axes, buttons and hats.
//
// Not implemented: reading any device (the game takes its input from window
// messages and never reads these devices); force feedback.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstdio>
#include <cstring>

#include "platform/hosted/host_input.h"

namespace {

struct MasterDevices {
    bool keyboard = false;
    bool pointer = false;
};

// Asks the window system which master devices it has. Only X11 can say; any
// other video driver has its own virtual keyboard and pointer.
MasterDevices find_master_devices() {
    MasterDevices found;
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!driver || std::strcmp(driver, "x11") != 0) {
        found.keyboard = found.pointer = driver != nullptr;
        return found;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return found;
    int opcode = 0, event = 0, error = 0, major = 2, minor = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &event, &error) &&
        XIQueryVersion(display, &major, &minor) == Success) {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count);
        for (int i = 0; devices && i < count; ++i) {
            if (!devices[i].enabled) continue;
            if (devices[i].use == XIMasterKeyboard) found.keyboard = true;
            if (devices[i].use == XIMasterPointer) found.pointer = true;
        }
        if (devices) XIFreeDeviceInfo(devices);
    } else {
        // A server without the extension still has its core keyboard and pointer.
        found.keyboard = found.pointer = true;
    }
    XCloseDisplay(display);
    return found;
}

}  // namespace

struct HostController {
    SDL_Joystick* joystick;
};

bool host_keyboard_exists() { return find_master_devices().keyboard; }
bool host_mouse_exists() { return find_master_devices().pointer; }

bool host_open_controllers() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    // Controller events are never read: keep them out of the message queue.
    SDL_JoystickEventState(SDL_IGNORE);
    return true;
}

void host_close_controllers() { SDL_QuitSubSystem(SDL_INIT_JOYSTICK); }

int host_controller_count() { return SDL_max(SDL_NumJoysticks(), 0); }

void host_controller_identity(int index, char* name, int name_size, std::uint8_t product[8]) {
    SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(index);
    std::memcpy(product, guid.data, 8);
    const char* text = SDL_JoystickNameForIndex(index);
    std::snprintf(name, static_cast<std::size_t>(name_size), "%s", text ? text : "");
}

HostController* host_open_controller(int index) {
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    return joystick ? new HostController{joystick} : nullptr;
}

void host_close_controller(HostController* controller) {
    SDL_JoystickClose(controller->joystick);
    delete controller;
}

bool host_controller_capabilities(HostController* controller, int* axes, int* buttons, int* povs) {
    if (!SDL_JoystickGetAttached(controller->joystick)) return false;
    *axes = SDL_max(SDL_JoystickNumAxes(controller->joystick), 0);
    *buttons = SDL_max(SDL_JoystickNumButtons(controller->joystick), 0);
    *povs = SDL_max(SDL_JoystickNumHats(controller->joystick), 0);
    return true;
}
