// What a backend says about input devices. The game only asks whether
// devices exist and what a controller's capabilities are; it never reads
// one, so nothing here reads input either.
#pragma once

#include <cstdint>

bool host_keyboard_exists();
bool host_mouse_exists();

// Game controllers. open_controllers() starts the backend's controller
// system (false: there is none, and no controller is ever found);
// close_controllers() ends it.
bool host_open_controllers();
void host_close_controllers();
int host_controller_count();
// Name (UTF-8, may be empty) and 8 bytes that identify the product.
void host_controller_identity(int index, char* name, int name_size, std::uint8_t product[8]);

struct HostController;
HostController* host_open_controller(int index);  // null when it cannot be opened
void host_close_controller(HostController* controller);
// False when the controller is gone and its capabilities cannot be read.
bool host_controller_capabilities(HostController* controller, int* axes, int* buttons, int* povs);
