// The SDL window under the hosted window layer: the game's one window, its
// title (also on X11's legacy properties), icon and sizes, and SDL's events
// as the few the game handles.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/hosted/host_clock.h"
#include "platform/hosted/host_window.h"
#include "platform/sdl/sdl_window.h"

namespace {

struct SdlWindowSystem {
    HostWindow* window = nullptr;  // the game's window
    bool ime_disabled = false;
    std::string title_utf8;             // the game window's title
    unsigned long titled_x_window = 0;  // the X window that has it as WM_NAME
};

SdlWindowSystem& sws() {
    static SdlWindowSystem s;
    return s;
}

void set_window_icon(SDL_Window* window, const std::uint32_t* argb, int size) {
    if (!argb) return;  // no icon: the window system's default
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(argb), size, size, 32,
                                                              size * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
    }
}

unsigned virtual_key(SDL_Keycode key) {
    if (key == SDLK_ESCAPE) return 0x1B;  // VK_ESCAPE
    if (key >= 'a' && key <= 'z') return static_cast<unsigned>(key - 'a' + 'A');
    if (key >= '0' && key <= '9') return static_cast<unsigned>(key);
    if (key == SDLK_RETURN) return 0x0D;
    if (key == SDLK_SPACE) return 0x20;
    if (key == SDLK_BACKSPACE) return 0x08;
    if (key == SDLK_TAB) return 0x09;
    return 0xFF;  // some other key: the game reacts to Escape only
}

bool inside_client(SDL_Window* window, int x, int y) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    return x >= 0 && y >= 0 && x < w && y < h;
}

// The event the game's window makes of an SDL event, if any. Anything else
// (text input, controllers, render resets, other windows) is none.
bool host_event_of(const SDL_Event& e, HostEvent& out) {
    HostWindow* window = sws().window;
    if (!window) return false;
    Uint32 id = SDL_GetWindowID(window->sdl);
    switch (e.type) {
        case SDL_MOUSEMOTION:
            if (e.motion.windowID != id || !inside_client(window->sdl, e.motion.x, e.motion.y)) return false;
            out = HostEvent{HostEventKind::PointerMove, e.motion.x, e.motion.y,
                            (e.motion.state & SDL_BUTTON_LMASK) != 0};
            out.touch = e.motion.which == SDL_TOUCH_MOUSEID;
            return true;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.windowID != id || e.button.button != SDL_BUTTON_LEFT) return false;
            out = HostEvent{HostEventKind::LeftDown, e.button.x, e.button.y};
            out.touch = e.button.which == SDL_TOUCH_MOUSEID;
            return true;
        case SDL_MOUSEBUTTONUP:
            if (e.button.windowID != id || e.button.button != SDL_BUTTON_LEFT ||
                !inside_client(window->sdl, e.button.x, e.button.y))
                return false;
            out = HostEvent{HostEventKind::LeftUp, e.button.x, e.button.y};
            out.touch = e.button.which == SDL_TOUCH_MOUSEID;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (e.key.windowID != id) return false;
            out = HostEvent{e.type == SDL_KEYDOWN ? HostEventKind::KeyDown : HostEventKind::KeyUp};
            out.key = virtual_key(e.key.keysym.sym);
            return true;
        case SDL_WINDOWEVENT:
            if (e.window.windowID != id) return false;
            // A renderer may recreate the X window under the SDL window (an
            // OpenGL one does), and SDL then writes WM_NAME its own way again.
            if ((e.window.event == SDL_WINDOWEVENT_SHOWN || e.window.event == SDL_WINDOWEVENT_EXPOSED) &&
                x11_window_of(window->sdl) != sws().titled_x_window)
                sws().titled_x_window = set_legacy_x11_title(window->sdl, sws().title_utf8.c_str());
            switch (e.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    out = HostEvent{HostEventKind::Activated};
                    return true;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    out = HostEvent{HostEventKind::Deactivated};
                    return true;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    out = HostEvent{HostEventKind::Resized, e.window.data1, e.window.data2};
                    return true;
                case SDL_WINDOWEVENT_CLOSE:
                    out = HostEvent{HostEventKind::CloseRequested};
                    return true;
                case SDL_WINDOWEVENT_EXPOSED:
                    out = HostEvent{HostEventKind::MustRedraw};
                    return true;
                default:
                    return false;
            }
        case SDL_QUIT:
            // The window system asks the program to end (the last window's
            // close box already sent its close; this covers a session ending).
            out = HostEvent{HostEventKind::CloseRequested};
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ensure_sdl_video() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // A click on an inactive window both activates it and presses, as the
    // game expects; the mouse is never captured, so a release outside the
    // window is not seen.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    SDL_SetHint(SDL_HINT_IME_SHOW_UI, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
}

void set_window_title_utf8(SDL_Window* window, const char* title) {
    if (!window || !title) return;
    SDL_SetWindowTitle(window, title);
    set_legacy_x11_title(window, title);
}

HostWindow* host_create_window(const HostWindowSpec& spec) {
    if (!ensure_sdl_video()) {
        std::fprintf(stderr, "window: %s\n", SDL_GetError());
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (spec.resizable) flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* sdl =
        SDL_CreateWindow(spec.title_utf8, spec.x, spec.y, spec.client_width, spec.client_height, flags);
    if (!sdl) {
        std::fprintf(stderr, "window: %s\n", SDL_GetError());
        return nullptr;
    }
    set_window_icon(sdl, spec.icon_argb, spec.icon_size);
    SdlWindowSystem& s = sws();
    s.title_utf8 = spec.title_utf8;
    s.titled_x_window = set_legacy_x11_title(sdl, spec.title_utf8);
    s.window = new HostWindow{sdl};
    if (s.ime_disabled) SDL_StopTextInput();
    return s.window;
}

void host_show_window(HostWindow* window) {
    SDL_ShowWindow(window->sdl);
    SDL_RaiseWindow(window->sdl);
    // SDL starts text input with the video system: keep the input method off.
    if (sws().ime_disabled) SDL_StopTextInput();
}

void host_hide_window(HostWindow* window) { SDL_HideWindow(window->sdl); }

void host_destroy_window(HostWindow* window) {
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    if (sws().window == window) sws().window = nullptr;
    delete window;
}

void host_client_size(HostWindow* window, int* width, int* height) { SDL_GetWindowSize(window->sdl, width, height); }

void host_client_position(HostWindow* window, int* x, int* y) { SDL_GetWindowPosition(window->sdl, x, y); }

bool host_window_has_focus(HostWindow* window) {
    return window && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool host_screen_size(int* width, int* height) {
    if (!ensure_sdl_video()) return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    *width = mode.w;
    *height = mode.h;
    return true;
}

void host_disable_text_input() {
    sws().ime_disabled = true;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_StopTextInput();
}

bool host_next_event(HostEvent& out) {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (host_event_of(e, out)) return true;
    return false;
}

void host_queue_found_empty() {}  // SDL holds nothing back

std::uint64_t host_ticks_ms() { return SDL_GetTicks64(); }

void host_sleep_ms(std::uint32_t milliseconds) { SDL_Delay(milliseconds); }
