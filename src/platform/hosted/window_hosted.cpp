// The window-system services on every platform but Windows: one window
// class, windows, the message queue that hands out one message per pass,
// the tick count, sleep, message boxes and the current directory, over the
// backend's window, clock and failure box.
//
// The game maps the mouse with a fixed frame allowance of 18 pixels across
// and 44 down, so this layer models a window frame of exactly that size
// (9 on the left, right and bottom, 35 on top) whatever the window system
// draws: the outer rectangle is always the client area grown by it.
//
// Not implemented: more than one window, child windows and menus; WM_PAINT,
// timers and sent messages; PeekMessageA's window and message filters (the
// game passes none); TranslateMessage (no WM_CHAR: the game reads no text).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "platform/hosted/host_clock.h"
#include "platform/hosted/host_message_box.h"
#include "platform/hosted/platform_window.h"
#include "platform/hosted/text_units.h"
#include "platform/logical_screen.h"
#include "platform/sjis.h"
#include "platform/faults.h"

#if __has_include("platform/hosted/window_icon_pixels.inc")
#include "platform/hosted/window_icon_pixels.inc"
#define POKOMARU_HAVE_ICON 1
#endif

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
static_assert(kFrameLeft + kFrameRight == kFrameAllowanceWidth && kFrameTop + kFrameBottom == kFrameAllowanceHeight);

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

// A message as the queue hands it out, with the extra information
// GetMessageExtraInfo reports while it is the current one.
struct QueuedMessage {
    MSG msg{};
    LPARAM extra_info = 0;
};

struct WindowSystem {
    std::map<std::string, WindowClass> classes;
    // The messages the program posts itself. The backend's events are not
    // queued here: each becomes its message only when PeekMessageA takes it.
    std::deque<QueuedMessage> posted;
    // A message looked at without removing it (PM_NOREMOVE), handed out
    // again by the next PeekMessageA.
    QueuedMessage peeked;
    bool has_peeked = false;
    LPARAM extra_info = 0;  // of the message PeekMessageA handed out last
    PlatformWindow* window = nullptr;  // the game has one top-level window
    ATOM next_atom = 0xC000;  // class atoms live above the predefined ones
};

WindowSystem& ws() {
    static WindowSystem s;
    return s;
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

// Positions travel as two unsigned 16-bit words, as on Windows.
LPARAM position_lparam(int x, int y) {
    return MAKELPARAM(static_cast<std::uint16_t>(x & 0xFFFF), static_cast<std::uint16_t>(y & 0xFFFF));
}

// Windows marks the mouse messages it makes from a finger with this extra
// information: the signature 0xFF515700 in the upper 24 bits, and 0x80 for
// touch (a pen leaves the bit clear).
constexpr std::uint32_t kTouchExtraInfo = 0xFF515780u;

// The window message the game's window gets for a backend event, if any.
// This is the only place an event becomes a message.
bool message_of(const HostEvent& e, QueuedMessage& out) {
    PlatformWindow* window = ws().window;
    if (!window || window->destroyed) return false;
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    switch (e.kind) {
        case HostEventKind::PointerMove:
            message = WM_MOUSEMOVE;
            wparam = e.left_held ? MK_LBUTTON : 0;
            lparam = position_lparam(e.x, e.y);
            break;
        case HostEventKind::LeftDown:
            message = WM_LBUTTONDOWN;
            wparam = MK_LBUTTON;
            lparam = position_lparam(e.x, e.y);
            break;
        case HostEventKind::LeftUp:
            message = WM_LBUTTONUP;
            lparam = position_lparam(e.x, e.y);
            break;
        case HostEventKind::KeyDown:
        case HostEventKind::KeyUp:
            message = e.kind == HostEventKind::KeyDown ? WM_KEYDOWN : WM_KEYUP;
            wparam = e.key;
            lparam = 1;
            break;
        case HostEventKind::Activated:
        case HostEventKind::Deactivated:
            message = WM_ACTIVATE;
            wparam = e.kind == HostEventKind::Activated ? WA_ACTIVE : WA_INACTIVE;
            break;
        case HostEventKind::Resized:
            message = WM_SIZE;
            lparam = position_lparam(e.x, e.y);
            break;
        case HostEventKind::CloseRequested:
            message = WM_CLOSE;
            break;
        case HostEventKind::MustRedraw:
            return false;  // the game draws every frame in full anyway
    }
    out.msg = make_message(window, message, wparam, lparam);
    const bool pointer = message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP;
    out.extra_info = pointer && e.touch ? static_cast<LPARAM>(kTouchExtraInfo) : 0;
    return true;
}

// The next message in the order the program sees them: one looked at and
// left in place, then the program's own, then the backend's next event.
bool next_message(QueuedMessage& out, bool remove) {
    WindowSystem& s = ws();
    if (s.has_peeked) {
        out = s.peeked;
        s.has_peeked = !remove;
        return true;
    }
    if (!s.posted.empty()) {
        out = s.posted.front();
        if (remove) s.posted.pop_front();
        return true;
    }
    HostEvent event;
    while (host_next_event(event)) {
        if (!message_of(event, out)) continue;
        if (!remove) {
            s.peeked = out;
            s.has_peeked = true;
        }
        return true;
    }
    return false;
}

}  // namespace

HINSTANCE platform_instance() { return &the_instance; }

BOOL ImmDisableIME(DWORD) {
    host_disable_text_input();
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
    // The backend's window outlives DestroyWindow so that the device made on
    // it can be released first; it goes with its class.
    if (s.window) {
        if (s.window->host) host_destroy_window(s.window->host);
        delete s.window;
        s.window = nullptr;
    }
    s.posted.clear();
    s.has_peeked = false;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) {
    // The game already adds its own 18 x 44 frame allowance to the client
    // size it asks for, and the frame this layer models is exactly that
    // allowance, so the rectangle stands as given.
    return rect != nullptr;
}

int GetSystemMetrics(int index) {
    int w = 0, h = 0;
    if (!host_screen_size(&w, &h)) return 0;
    if (index == SM_CXSCREEN) return w;
    if (index == SM_CYSCREEN) return h;
    return 0;
}

HWND CreateWindowExA(DWORD, LPCSTR class_name, LPCSTR title_sjis, DWORD style, int x, int y, int width, int height,
                     HWND, HMENU, HINSTANCE, LPVOID) {
    WindowSystem& s = ws();
    if (fault_injected(Fault::WindowCreation)) return nullptr;
    auto it = class_name ? s.classes.find(class_name) : s.classes.end();
    if (it == s.classes.end() || s.window) return nullptr;
    HostWindowSpec spec;
    spec.client_width = width - kFrameLeft - kFrameRight;
    spec.client_height = height - kFrameTop - kFrameBottom;
    if (spec.client_width < 1 || spec.client_height < 1) return nullptr;
    std::string title = cp932_to_utf8(title_sjis);
    spec.title_utf8 = title.c_str();
    spec.x = x + kFrameLeft;
    spec.y = y + kFrameTop;
    spec.resizable = (style & WS_THICKFRAME) != 0;
    if (HICON icon = it->second.icon; icon && icon->pixels) {
        spec.icon_argb = icon->pixels;
        spec.icon_size = icon->size;
    }
    HostWindow* host = host_create_window(spec);
    if (!host) return nullptr;
    auto* window = new PlatformWindow{host, it->second.proc, false};
    s.window = window;
    return window;
}

BOOL ShowWindow(HWND window, int) {
    if (!window || window->destroyed) return false;
    host_show_window(window->host);
    return true;
}

BOOL UpdateWindow(HWND window) { return window && !window->destroyed; }

BOOL DestroyWindow(HWND window) {
    if (!window || window->destroyed) return false;
    window->destroyed = true;
    if (window->proc) window->proc(window, WM_DESTROY, 0, 0);
    host_hide_window(window->host);
    // Messages still queued for the window are dropped with it.
    WindowSystem& s = ws();
    auto& q = s.posted;
    for (auto it = q.begin(); it != q.end();) it = (it->msg.hwnd == window) ? q.erase(it) : it + 1;
    if (s.has_peeked && s.peeked.msg.hwnd == window) s.has_peeked = false;
    return true;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    if (!window || !rect || !window->host) return false;
    int x = 0, y = 0, w = 0, h = 0;
    host_client_position(window->host, &x, &y);
    host_client_size(window->host, &w, &h);
    rect->left = x - kFrameLeft;
    rect->top = y - kFrameTop;
    rect->right = x + w + kFrameRight;
    rect->bottom = y + h + kFrameBottom;
    return true;
}

// The client area is measured in the backend's device-independent pixels
// already: the canvas's CSS size in the browser, screen coordinates under
// SDL.
double logical_pixel_scale(HWND window) {
    if (!window || !window->host) return 0;
    int w = 0, h = 0;
    host_client_size(window->host, &w, &h);
    return logical_scale_of(w, h);
}

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT remove) {
    QueuedMessage taken;
    if (!next_message(taken, (remove & PM_REMOVE) != 0)) {
        // The main loop runs a frame now.
        if (remove & PM_REMOVE) host_queue_found_empty();
        return false;
    }
    *msg = taken.msg;
    ws().extra_info = taken.extra_info;
    return true;
}

LPARAM GetMessageExtraInfo() { return ws().extra_info; }

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (window && window->destroyed) return FALSE;
    ws().posted.push_back({make_message(window, message, wparam, lparam), 0});
    return TRUE;
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

// The quit message waits in the program's own queue, as a message posted to
// the thread.
void PostQuitMessage(int exit_code) { PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exit_code), 0); }

DWORD GetTickCount() { return static_cast<DWORD>(host_ticks_ms() & 0xFFFFFFFFu); }

void Sleep(DWORD milliseconds) { host_sleep_ms(milliseconds); }

int MessageBoxA(HWND, LPCSTR text_sjis, LPCSTR caption_sjis, UINT) {
    std::string text = cp932_to_utf8(text_sjis);
    std::string caption = cp932_to_utf8(caption_sjis);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    PlatformWindow* game = ws().window;
    host_show_message_box(game && !game->destroyed ? game->host : nullptr, caption_sjis, text_sjis);
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
    if ((code_page != CP_ACP && code_page != 932) || !text || count == 0 || wide_count < 0 ||
        (wide_count > 0 && !wide))
        return 0;
    std::size_t length = count < 0 ? std::strlen(text) + 1 : static_cast<std::size_t>(count);
    std::u32string code_points = code_page == 932 ? cp932_to_utf32(text, static_cast<int>(length))
                                                  : utf8_to_utf32(text, length);
    // A terminator inside the text ends it; one is written back only when
    // the text given included it.
    code_points.resize(code_points.find(U'\0') == std::u32string::npos ? code_points.size()
                                                                        : code_points.find(U'\0'));
    std::u16string units = utf32_to_utf16(code_points);
    if (count < 0 || (length > 0 && text[length - 1] == 0)) units.push_back(0);
    if (wide_count == 0) return static_cast<int>(units.size());
    if (units.size() > static_cast<std::size_t>(wide_count)) return 0;
    std::memcpy(wide, units.data(), units.size() * sizeof(WCHAR));
    return static_cast<int>(units.size());
}
