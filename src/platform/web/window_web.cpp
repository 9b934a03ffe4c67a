// The browser's window for the hosted layer: the page's canvas, the page's
// events as the hosted layer's events, and the browser's clock.
//
// The client area is the canvas's size on the page in CSS pixels. Its
// events come from PageInput, which holds a finger's press back for a few of
// the main loop's frames: the hosted layer asks for events whenever it has
// none queued, and an ask that finds none is the main loop running a frame.
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
bool last_poll_full = false;  // the hosted layer asks again at once, in the same pass

int signed_word(std::uint32_t word) { return static_cast<std::int16_t>(word & 0xFFFF); }

bool host_event_of(const PageMessage& m, HostEvent& e) {
    const auto position = static_cast<std::uint32_t>(m.lparam);
    e = HostEvent{};
    e.x = signed_word(position);
    e.y = signed_word(position >> 16);
    switch (m.message) {
        case WM_MOUSEMOVE:
            e.kind = HostEventKind::PointerMove;
            e.left_held = (m.wparam & MK_LBUTTON) != 0;
            return true;
        case WM_LBUTTONDOWN:
            e.kind = HostEventKind::LeftDown;
            return true;
        case WM_LBUTTONUP:
            e.kind = HostEventKind::LeftUp;
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
            e.kind = m.message == WM_KEYDOWN ? HostEventKind::KeyDown : HostEventKind::KeyUp;
            e.key = static_cast<unsigned>(m.wparam);
            return true;
        case WM_ACTIVATE:
            e.kind = m.wparam == WA_INACTIVE ? HostEventKind::Deactivated : HostEventKind::Activated;
            return true;
        default:
            return false;
    }
}

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

int host_poll_events(HostEvent* out, int capacity) {
    PageInput& input = page_input();
    int count = 0;
    PageMessage m;
    while (count < capacity && input.next(m))
        if (host_event_of(m, out[count])) ++count;
    if (count == 0 && !last_poll_full) input.frame_ran();
    last_poll_full = count == capacity;
    return count;
}

// performance.now(): milliseconds since the page opened.
std::uint64_t host_ticks_ms() { return static_cast<std::uint64_t>(emscripten_get_now()); }

// The main loop waits here, handing the page back to the browser, which
// draws the canvas and delivers its events meanwhile.
void host_sleep_ms(std::uint32_t milliseconds) { emscripten_sleep(milliseconds); }
