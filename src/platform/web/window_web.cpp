// The browser's window for the hosted layer: the page's canvas, the page's
// events as the hosted layer's events, and the browser's clock.
//
// The client area is the canvas's size on the page in CSS pixels. Its
// events come from PageInput, which holds a finger's press back for a few of
// the main loop's frames, counted at the frame boundary the hosted layer
// states (host_queue_found_empty).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>

#include "platform/hosted/host_clock.h"
#include "platform/hosted/host_window.h"
#include "platform/web/page_events.h"

struct HostWindow {
    bool shown = false;
};

namespace {

HostWindow* the_window = nullptr;

}  // namespace

HostWindow* host_create_window(const HostWindowSpec& spec) {
    if (the_window) return nullptr;  // the page has one canvas
    emscripten_set_window_title(spec.title_utf8);
    the_window = new HostWindow;
    start_page_events();
    return the_window;
}

void host_show_window(HostWindow* window) {
    if (window) window->shown = true;
}

void host_hide_window(HostWindow* window) {
    if (window) window->shown = false;
}

void host_destroy_window(HostWindow* window) {
    if (window != the_window) return;
    delete the_window;
    the_window = nullptr;
}

void host_client_size(HostWindow*, int* width, int* height) { canvas_client_size(*width, *height); }

void host_client_position(HostWindow*, int* x, int* y) { *x = *y = 0; }

bool host_window_has_focus(HostWindow* window) { return window && page_input().active(); }

bool host_screen_size(int* width, int* height) {
    emscripten_get_screen_size(width, height);
    return *width > 0 && *height > 0;
}

void host_disable_text_input() {}  // the canvas never takes text

bool host_next_event(HostEvent& out) { return page_input().next(out); }

// The main loop runs a frame: a finger's press or release held back for
// some frames comes nearer.
void host_queue_found_empty() { page_input().frame_ran(); }

// performance.now(): milliseconds since the page opened.
std::uint64_t host_ticks_ms() { return static_cast<std::uint64_t>(emscripten_get_now()); }

// The main loop waits here, handing the page back to the browser, which
// draws the canvas and delivers its events meanwhile.
void host_sleep_ms(std::uint32_t milliseconds) { emscripten_sleep(milliseconds); }
