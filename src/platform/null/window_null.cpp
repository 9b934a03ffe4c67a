// The window system with nothing behind it: a window is a size kept in
// memory that no event ever reaches, there is no screen, the clock is the
// process's steady clock, and a failure box shows nothing (the hosted layer
// has written it to standard error). A keyboard and a mouse are said to be
// there (hosted/fixed/input_fixed.cpp), so that input can start; no
// controller ever is.
#include <chrono>
#include <thread>

#include "platform/hosted/host_clock.h"
#include "platform/hosted/host_message_box.h"
#include "platform/hosted/host_window.h"

struct HostWindow {
    int x, y, width, height;
    bool shown;
};

HostWindow* host_create_window(const HostWindowSpec& spec) {
    return new HostWindow{spec.x, spec.y, spec.client_width, spec.client_height, false};
}
void host_show_window(HostWindow* window) { window->shown = true; }
void host_hide_window(HostWindow* window) { window->shown = false; }
void host_destroy_window(HostWindow* window) { delete window; }
void host_client_size(HostWindow* window, int* width, int* height) {
    *width = window->width;
    *height = window->height;
}
void host_client_position(HostWindow* window, int* x, int* y) {
    *x = window->x;
    *y = window->y;
}
bool host_window_has_focus(HostWindow* window) { return window && window->shown; }
bool host_screen_size(int*, int*) { return false; }
void host_disable_text_input() {}
bool host_next_event(HostEvent&) { return false; }
void host_queue_found_empty() {}

std::uint64_t host_ticks_ms() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
void host_sleep_ms(std::uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void host_show_message_box(HostWindow*, const char*, const char*) {}

