// The window-system services on SDL: one window class, windows, a message
// queue fed from SDL's events, the tick count, sleep, message boxes and the
// current directory.
//
// The game maps the mouse with a fixed frame allowance of 18 pixels across
// and 44 down, so this layer models a window frame of exactly that size
// (9 on the left, right and bottom, 35 on top) whatever the window manager
// draws: the outer rectangle is always the client area grown by it.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "platform/sdl/message_box_sdl.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sdl/window_events.h"
#include "platform/sjis.h"
#include "platform/test_hooks.h"

#if __has_include("platform/sdl/window_icon_pixels.inc")
#include "platform/sdl/window_icon_pixels.inc"
#define POKOMARU_HAVE_ICON 1
#endif

namespace platform_detail {
extern MessageBoxObserver message_box_observer;
extern bool message_boxes_suppressed;
}  // namespace platform_detail

struct PlatformInstance {};

// A loaded icon or cursor: its pixels (0xAARRGGBB rows), or none for the
// arrow cursor, which is the window system's own.
struct PlatformIcon {
    int size;
    const unsigned int* pixels;
};

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

constexpr int kFrameLeft = 9;
constexpr int kFrameTop = 35;
constexpr int kFrameRight = 9;
constexpr int kFrameBottom = 9;
static_assert(kFrameLeft + kFrameRight == 18 && kFrameTop + kFrameBottom == 44);

PlatformInstance the_instance;

constexpr WORD kGameIconResource = 101;
constexpr WORD kArrowCursorResource = 32512;

#ifdef POKOMARU_HAVE_ICON
PlatformIcon game_icon_32{32, kWindowIcon32};
PlatformIcon game_icon_16{16, kWindowIcon16};
#endif
PlatformIcon arrow_cursor{0, nullptr};

// The number a resource is named by, or -1 for a resource named by text
// (the game has none).
int resource_number(LPCSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<std::uintptr_t>(name)) : -1;
}

struct WindowClass {
    WNDPROC proc;
    UINT style;
    HICON icon;
    ATOM atom;
};

struct WindowSystem {
    std::map<std::string, WindowClass> classes;
    std::deque<MSG> queue;
    PlatformWindow* window = nullptr;  // the game has one top-level window
    bool ime_disabled = false;
    bool quit_posted = false;
    ATOM next_atom = 0xC000;  // class atoms live above the predefined ones
    std::string title_utf8;           // the game window's title
    unsigned long titled_x_window = 0;  // the X window that has it as WM_NAME
};

WindowSystem& ws() {
    static WindowSystem s;
    return s;
}

bool ensure_video() {
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

void set_window_icon(SDL_Window* window, HICON icon) {
    if (!icon || !icon->pixels) return;  // no icon: the window system's default
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned int*>(icon->pixels), icon->size,
                                                              icon->size, 32, icon->size * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
    }
}

WPARAM virtual_key(SDL_Keycode key) {
    if (key == SDLK_ESCAPE) return VK_ESCAPE;
    if (key >= 'a' && key <= 'z') return static_cast<WPARAM>(key - 'a' + 'A');
    if (key >= '0' && key <= '9') return static_cast<WPARAM>(key);
    if (key == SDLK_RETURN) return 0x0D;
    if (key == SDLK_SPACE) return 0x20;
    if (key == SDLK_BACKSPACE) return 0x08;
    if (key == SDLK_TAB) return 0x09;
    return 0xFF;  // some other key: the game reacts to Escape only
}

MSG make_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    msg.time = GetTickCount();
    return msg;
}

void post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    ws().queue.push_back(make_message(window, message, wparam, lparam));
}

bool inside_client(PlatformWindow* window, int x, int y) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdl, &w, &h);
    return x >= 0 && y >= 0 && x < w && y < h;
}

LPARAM position_lparam(int x, int y) {
    return MAKELPARAM(static_cast<std::uint16_t>(x & 0xFFFF), static_cast<std::uint16_t>(y & 0xFFFF));
}

}  // namespace

// Turns one SDL event into the window messages the game handles. Anything
// else (text input, controllers, render resets) is not a window message.
void translate_sdl_event(const SDL_Event& e) {
    PlatformWindow* window = ws().window;
    if (!window || window->destroyed) return;
    Uint32 id = SDL_GetWindowID(window->sdl);
    switch (e.type) {
        case SDL_MOUSEMOTION:
            if (e.motion.windowID == id && inside_client(window, e.motion.x, e.motion.y))
                post(window, WM_MOUSEMOVE, e.motion.state & SDL_BUTTON_LMASK ? MK_LBUTTON : 0,
                     position_lparam(e.motion.x, e.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT)
                post(window, WM_LBUTTONDOWN, MK_LBUTTON, position_lparam(e.button.x, e.button.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT &&
                inside_client(window, e.button.x, e.button.y))
                post(window, WM_LBUTTONUP, 0, position_lparam(e.button.x, e.button.y));
            break;
        case SDL_KEYDOWN:
            if (e.key.windowID == id) post(window, WM_KEYDOWN, virtual_key(e.key.keysym.sym), 1);
            break;
        case SDL_KEYUP:
            if (e.key.windowID == id) post(window, WM_KEYUP, virtual_key(e.key.keysym.sym), 1);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.windowID != id) break;
            // A renderer may recreate the X window under the SDL window (an
            // OpenGL one does), and SDL then writes WM_NAME its own way again.
            if ((e.window.event == SDL_WINDOWEVENT_SHOWN || e.window.event == SDL_WINDOWEVENT_EXPOSED) &&
                x11_window_of(window->sdl) != ws().titled_x_window)
                ws().titled_x_window = set_legacy_x11_title(window->sdl, ws().title_utf8.c_str());
            switch (e.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    post(window, WM_ACTIVATE, WA_ACTIVE, 0);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    post(window, WM_ACTIVATE, WA_INACTIVE, 0);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    post(window, WM_SIZE, 0, position_lparam(e.window.data1, e.window.data2));
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    post(window, WM_CLOSE, 0, 0);
                    break;
                default:
                    break;
            }
            break;
        case SDL_QUIT:
            // The window system asks the program to end (the last window's
            // close box already sent WM_CLOSE; this covers a session ending).
            post(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void set_window_title_utf8(SDL_Window* window, const char* title) {
    if (!window || !title) return;
    SDL_SetWindowTitle(window, title);
    set_legacy_x11_title(window, title);
}

HINSTANCE platform_instance() { return &the_instance; }

BOOL ImmDisableIME(DWORD) {
    ws().ime_disabled = true;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_StopTextInput();
    return TRUE;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
#ifdef POKOMARU_HAVE_ICON
    if (instance && resource_number(name) == kGameIconResource) return &game_icon_32;
#endif
    return nullptr;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT) {
#ifdef POKOMARU_HAVE_ICON
    // The icon group holds the two sizes; another size would be one of them
    // scaled, which the game never asks for.
    if (instance && type == IMAGE_ICON && resource_number(name) == kGameIconResource && width == height) {
        if (width == 16) return &game_icon_16;
        if (width == 32) return &game_icon_32;
    }
#endif
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (!instance && resource_number(name) == kArrowCursorResource) return &arrow_cursor;
    return nullptr;
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (fault_injected(Fault::ClassRegistration)) return 0;
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    WindowSystem& s = ws();
    ATOM atom = s.next_atom;
    auto [it, inserted] = s.classes.emplace(wc->lpszClassName, WindowClass{wc->lpfnWndProc, wc->style, wc->hIcon, atom});
    if (!inserted) return 0;
    ++s.next_atom;
    return atom;
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE) {
    WindowSystem& s = ws();
    if (!class_name || s.classes.erase(class_name) == 0) return FALSE;
    // The SDL window outlives DestroyWindow so that the device made on it can
    // be released first; it goes with its class.
    if (s.window) {
        if (s.window->sdl) SDL_DestroyWindow(s.window->sdl);
        delete s.window;
        s.window = nullptr;
    }
    s.queue.clear();
    s.quit_posted = false;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) {
    // The game already adds its own 18 x 44 frame allowance to the client
    // size it asks for, and the frame this layer models is exactly that
    // allowance, so the rectangle stands as given.
    return rect != nullptr;
}

int GetSystemMetrics(int index) {
    if (!ensure_video()) return 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    if (index == SM_CXSCREEN) return mode.w;
    if (index == SM_CYSCREEN) return mode.h;
    return 0;
}

HWND CreateWindowExA(DWORD, LPCSTR class_name, LPCSTR title_sjis, DWORD style, int x, int y, int width, int height,
                     HWND, HMENU, HINSTANCE, LPVOID) {
    WindowSystem& s = ws();
    if (fault_injected(Fault::WindowCreation)) return nullptr;
    auto it = class_name ? s.classes.find(class_name) : s.classes.end();
    if (it == s.classes.end() || s.window) return nullptr;
    if (!ensure_video()) {
        std::fprintf(stderr, "window: %s\n", SDL_GetError());
        return nullptr;
    }
    int client_w = width - kFrameLeft - kFrameRight;
    int client_h = height - kFrameTop - kFrameBottom;
    if (client_w < 1 || client_h < 1) return nullptr;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    std::string title = cp932_to_utf8(title_sjis);
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), x + kFrameLeft, y + kFrameTop, client_w, client_h, flags);
    if (!sdl) {
        std::fprintf(stderr, "window: %s\n", SDL_GetError());
        return nullptr;
    }
    set_window_icon(sdl, it->second.icon);
    s.title_utf8 = title;
    s.titled_x_window = set_legacy_x11_title(sdl, title.c_str());
    auto* window = new PlatformWindow{sdl, it->second.proc, false};
    s.window = window;
    if (s.ime_disabled) SDL_StopTextInput();
    return window;
}

BOOL ShowWindow(HWND window, int) {
    if (!window || window->destroyed) return false;
    SDL_ShowWindow(window->sdl);
    SDL_RaiseWindow(window->sdl);
    // SDL starts text input with the video system: keep the input method off.
    if (ws().ime_disabled) SDL_StopTextInput();
    return true;
}

BOOL UpdateWindow(HWND window) { return window && !window->destroyed; }

BOOL DestroyWindow(HWND window) {
    if (!window || window->destroyed) return false;
    window->destroyed = true;
    if (window->proc) window->proc(window, WM_DESTROY, 0, 0);
    SDL_HideWindow(window->sdl);
    // Messages still queued for the window are dropped with it.
    auto& q = ws().queue;
    for (auto it = q.begin(); it != q.end();) it = (it->hwnd == window) ? q.erase(it) : it + 1;
    return true;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    if (!window || !rect || !window->sdl) return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &w, &h);
    rect->left = x - kFrameLeft;
    rect->top = y - kFrameTop;
    rect->right = x + w + kFrameRight;
    rect->bottom = y + h + kFrameBottom;
    return true;
}

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT remove) {
    WindowSystem& s = ws();
    if (s.queue.empty() && SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) translate_sdl_event(e);
    }
    if (s.queue.empty()) return false;
    *msg = s.queue.front();
    if (remove & PM_REMOVE) s.queue.pop_front();
    return true;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd || msg->hwnd->destroyed || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

void PostQuitMessage(int exit_code) {
    WindowSystem& s = ws();
    s.quit_posted = true;
    s.queue.push_back(make_message(nullptr, WM_QUIT, static_cast<WPARAM>(exit_code), 0));
}

void post_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    post(window, message, wparam, lparam);
}

DWORD GetTickCount() {
    if (manual_clock_on()) return manual_clock_ms();
    return static_cast<DWORD>(SDL_GetTicks64() & 0xFFFFFFFFu);
}

void Sleep(DWORD milliseconds) {
    if (manual_clock_on()) {
        advance_manual_clock(milliseconds);
        return;
    }
    SDL_Delay(milliseconds);
}

int MessageBoxA(HWND, LPCSTR text_sjis, LPCSTR caption_sjis, UINT) {
    std::string text = cp932_to_utf8(text_sjis);
    std::string caption = cp932_to_utf8(caption_sjis);
    if (platform_detail::message_box_observer) platform_detail::message_box_observer(caption, text);
    if (platform_detail::message_boxes_suppressed) return 1;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    // A message box needs a display; without one, standard error is all.
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    bool headless = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (headless) return 1;
    // The boxes come at start-up, before the game window has anything to
    // show: an empty window behind the box would only confuse.
    SDL_Window* game_window = ws().window && !ws().window->destroyed ? ws().window->sdl : nullptr;
    const bool game_window_shown = game_window && (SDL_GetWindowFlags(game_window) & SDL_WINDOW_SHOWN);
    if (game_window_shown) SDL_HideWindow(game_window);
    // Our own box draws the Japanese text; the window system's box is the
    // fallback when no installed face covers Japanese, and standard error
    // has the text either way.
    if (!show_own_message_box(caption_sjis, text_sjis))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
    if (game_window_shown) SDL_ShowWindow(game_window);
    return 1;  // IDOK
}

DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer) {
    std::string path;
    std::size_t size = 256;
    for (;;) {
        path.resize(size);
        if (getcwd(path.data(), size)) break;
        if (errno != ERANGE) return 0;
        size *= 2;
    }
    path.resize(std::strlen(path.c_str()));
    if (path.size() + 1 > buffer_length || !buffer) return static_cast<DWORD>(path.size() + 1);
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

int MultiByteToWideChar(UINT code_page, DWORD, LPCSTR text, int count, LPWSTR wide, int wide_count) {
    // The ANSI code page of this platform's file names is UTF-8.
    const char* from = code_page == CP_ACP ? "UTF-8" : code_page == 932 ? "CP932" : nullptr;
    if (!from || !text || count == 0 || wide_count < 0 || (wide_count > 0 && !wide)) return 0;
    std::size_t length = count < 0 ? std::strlen(text) + 1 : static_cast<std::size_t>(count);
    char* converted = SDL_iconv_string("UTF-16LE", from, text, length);
    if (!converted) return 0;
    // SDL's conversion appends a terminator of its own; the units asked for
    // are exactly length's worth of text.
    std::u16string units;
    for (std::size_t i = 0;; i += 2) {
        char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(converted[i]) |
                                              (static_cast<unsigned char>(converted[i + 1]) << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    SDL_free(converted);
    if (count < 0 || (length > 0 && text[length - 1] == 0)) units.push_back(0);
    if (wide_count == 0) return static_cast<int>(units.size());
    if (units.size() > static_cast<std::size_t>(wide_count)) return 0;
    std::memcpy(wide, units.data(), units.size() * sizeof(WCHAR));
    return static_cast<int>(units.size());
}
