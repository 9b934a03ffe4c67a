// The input devices of a backend whose machine always has a keyboard and a
// pointer and offers no game controller (the browser, where a finger counts
// as the pointer, and the null backend). Such a backend adds this file to
// its sources instead of writing its own.
#include "platform/hosted/host_input.h"

bool host_keyboard_exists() { return true; }
bool host_mouse_exists() { return true; }

bool host_open_controllers() { return false; }
void host_close_controllers() {}
int host_controller_count() { return 0; }
void host_controller_identity(int, char* name, int name_size, std::uint8_t product[8]) {
    if (name && name_size > 0) name[0] = 0;
    for (int i = 0; i < 8; ++i) product[i] = 0;
}
HostController* host_open_controller(int) { return nullptr; }
void host_close_controller(HostController*) {}
bool host_controller_capabilities(HostController*, int*, int*, int*) { return false; }
