// What a backend gives the hosted window layer: one top-level window with a
// UTF-8 title, the screen's size, and the window system's events as a few
// platform-neutral kinds. Sizes and positions are the window's client area
// in pixels; the hosted layer adds the game's fixed frame allowance itself.
#pragma once

#include <cstdint>

struct HostWindow;  // the backend's own window

struct HostWindowSpec {
    const char* title_utf8 = "";
    int x = 0, y = 0;                           // the client area's top left on the screen
    int client_width = 0, client_height = 0;
    bool resizable = false;
    const std::uint32_t* icon_argb = nullptr;   // size x size pixels, 0xAARRGGBB rows; null: the system's own
    int icon_size = 0;
};

// Makes the window hidden; null on failure (the backend has said why on
// standard error).
HostWindow* host_create_window(const HostWindowSpec& spec);
void host_show_window(HostWindow* window);  // shows and raises it
void host_hide_window(HostWindow* window);
void host_destroy_window(HostWindow* window);
void host_client_size(HostWindow* window, int* width, int* height);
void host_client_position(HostWindow* window, int* x, int* y);
bool host_window_has_focus(HostWindow* window);
// The whole screen, false when there is no screen to ask.
bool host_screen_size(int* width, int* height);
// Keeps the input method off from now on (the game reads no text).
void host_disable_text_input();

enum class HostEventKind : std::uint8_t {
    PointerMove,    // x, y inside the client area; left_held
    LeftDown,       // x, y
    LeftUp,         // x, y inside the client area
    KeyDown,        // key: the Windows virtual key (VK_ESCAPE is the one the game reads)
    KeyUp,          // key
    Activated,      // the window gained the keyboard focus
    Deactivated,
    Resized,        // x, y: the new client size
    CloseRequested, // the close box, or the session asks the program to end
    MustRedraw,     // the window system lost what was shown
};

struct HostEvent {
    HostEventKind kind;
    int x = 0, y = 0;
    bool left_held = false;
    unsigned key = 0;
    bool touch = false;  // a move, press or release made by a finger, not a mouse
};

// The one road of an event: the hosted layer asks for the next event when
// the main loop asks for a message (PeekMessageA) and none of the
// program's own (PostQuitMessage, PostMessageA) is waiting, and turns it
// into the window message right then; events the game's window has no
// message for are passed over.
//
// The oldest pending event for the game's window into out; false when none
// is pending. Never waits.
bool host_next_event(HostEvent& out);

// The frame boundary: PeekMessageA, asked to take a message, found none, so
// the main loop runs one frame now and asks again only after it. A backend
// that holds events back for a number of frames (a finger's press in the
// browser) counts them here; another does nothing.
void host_queue_found_empty();
