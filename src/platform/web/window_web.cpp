// The window-system services in the browser: one window class, one window
// (the page's canvas), the message queue fed from the page's events, the
// tick count from the browser's clock, Sleep as an asynchronous wait, the
// failure box as a dialog over the page and the current directory.
//
// As on Linux, the outer window is the client area grown by the game's own
// frame allowance (18 across, 44 down); the client area is the canvas's
// size on the page in CSS pixels.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "platform/logical_screen.h"
#include "platform/sjis.h"
#include "platform/test_hooks.h"
#include "platform/web/page_events.h"
#include "platform/web/web_page.h"
#include "platform/window.h"

struct PlatformInstance {};
struct PlatformIcon {
    int resource;
};
struct PlatformWindow {
    WNDPROC proc = nullptr;
    bool destroyed = false;
};

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

PlatformInstance the_instance;
// The page shows the game's icon itself (the manifest and the page's icons).
PlatformIcon game_icon{101};
PlatformIcon arrow_cursor{32512};

struct WindowClass {
    WNDPROC proc;
    ATOM atom;
};

struct WindowSystem {
    std::map<std::string, WindowClass> classes;
    std::deque<MSG> own;  // what the window system itself posts (WM_QUIT)
    PlatformWindow* window = nullptr;
    ATOM next_atom = 0xC000;
};

WindowSystem& ws() {
    static WindowSystem s;
    return s;
}

int resource_number(LPCSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<std::uintptr_t>(name)) : -1;
}

}  // namespace

HINSTANCE platform_instance() { return &the_instance; }

BOOL ImmDisableIME(DWORD) { return TRUE; }  // the canvas never takes text

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    return instance && resource_number(name) == game_icon.resource ? &game_icon : nullptr;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT) {
    if (instance && type == IMAGE_ICON && resource_number(name) == game_icon.resource && width == height &&
        (width == 16 || width == 32))
        return &game_icon;
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    return !instance && resource_number(name) == arrow_cursor.resource ? &arrow_cursor : nullptr;
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (fault_injected(Fault::ClassRegistration)) return 0;
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    WindowSystem& s = ws();
    auto [it, inserted] = s.classes.emplace(wc->lpszClassName, WindowClass{wc->lpfnWndProc, s.next_atom});
    if (!inserted) return 0;
    return s.next_atom++;
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE) {
    WindowSystem& s = ws();
    if (!class_name || s.classes.erase(class_name) == 0) return FALSE;
    delete s.window;
    s.window = nullptr;
    s.own.clear();
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) { return rect != nullptr; }

int GetSystemMetrics(int index) {
    int width = 0, height = 0;
    emscripten_get_screen_size(&width, &height);
    if (index == SM_CXSCREEN) return width;
    if (index == SM_CYSCREEN) return height;
    return 0;
}

HWND CreateWindowExA(DWORD, LPCSTR class_name, LPCSTR title_sjis, DWORD, int, int, int width, int height, HWND,
                     HMENU, HINSTANCE, LPVOID) {
    WindowSystem& s = ws();
    if (fault_injected(Fault::WindowCreation)) return nullptr;
    auto it = class_name ? s.classes.find(class_name) : s.classes.end();
    if (it == s.classes.end() || s.window) return nullptr;
    if (width - kFrameAllowanceWidth < 1 || height - kFrameAllowanceHeight < 1) return nullptr;
    const std::string title = cp932_to_utf8(title_sjis);
    emscripten_set_window_title(title.c_str());
    s.window = new PlatformWindow{it->second.proc, false};
    start_page_events();
    return s.window;
}

BOOL ShowWindow(HWND window, int) { return window && !window->destroyed; }
BOOL UpdateWindow(HWND window) { return window && !window->destroyed; }

BOOL DestroyWindow(HWND window) {
    if (!window || window->destroyed) return false;
    window->destroyed = true;
    if (window->proc) window->proc(window, WM_DESTROY, 0, 0);
    return true;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    if (!window || !rect) return false;
    int width = 0, height = 0;
    canvas_client_size(width, height);
    rect->left = 0;
    rect->top = 0;
    rect->right = width + kFrameAllowanceWidth;
    rect->bottom = height + kFrameAllowanceHeight;
    return true;
}

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT remove) {
    WindowSystem& s = ws();
    if (!msg) return FALSE;
    if (!s.own.empty()) {
        *msg = s.own.front();
        if (remove & PM_REMOVE) s.own.pop_front();
        return TRUE;
    }
    PlatformWindow* window = s.window;
    if (!window || window->destroyed) return FALSE;
    PageMessage page;
    if (!page_input().take(page)) return FALSE;
    *msg = MSG{};
    msg->hwnd = window;
    msg->message = page.message;
    msg->wParam = page.wparam;
    msg->lParam = page.lparam;
    msg->time = GetTickCount();
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

void PostQuitMessage(int exit_code) {
    MSG msg{};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(exit_code);
    ws().own.push_back(msg);
}

DWORD GetTickCount() {
    if (manual_clock_on()) return manual_clock_ms();
    // performance.now(): milliseconds since the page opened, wrapping at
    // 2^32 as the tick count does.
    return static_cast<DWORD>(static_cast<unsigned long long>(emscripten_get_now()) & 0xFFFFFFFFu);
}

// The main loop waits here, handing the page back to the browser, which
// draws the canvas and delivers its events meanwhile.
void Sleep(DWORD milliseconds) {
    if (manual_clock_on()) {
        advance_manual_clock(milliseconds);
        return;
    }
    emscripten_sleep(milliseconds);
}

int MessageBoxA(HWND, LPCSTR text_sjis, LPCSTR caption_sjis, UINT) {
    const std::string text = cp932_to_utf8(text_sjis);
    const std::string caption = cp932_to_utf8(caption_sjis);
    emscripten_log(EM_LOG_CONSOLE, "%s: %s", caption.c_str(), text.c_str());
    pokomaru_message_box(caption.c_str(), text.c_str());
    return 1;  // IDOK
}

DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer) {
    char path[1024];
    if (!getcwd(path, sizeof path)) return 0;
    const std::size_t length = std::strlen(path);
    if (length + 1 > buffer_length || !buffer) return static_cast<DWORD>(length + 1);
    std::memcpy(buffer, path, length + 1);
    return static_cast<DWORD>(length);
}

int MultiByteToWideChar(UINT code_page, DWORD, LPCSTR text, int count, LPWSTR wide, int wide_count) {
    if ((code_page != CP_ACP && code_page != 932) || !text || count == 0 || wide_count < 0 ||
        (wide_count > 0 && !wide))
        return 0;
    const std::size_t length = count < 0 ? std::strlen(text) + 1 : static_cast<std::size_t>(count);
    std::u32string points;
    if (code_page == 932) {
        points = cp932_to_utf32(text, static_cast<int>(length));
    } else {
        // The page's file names are UTF-8.
        for (std::size_t i = 0; i < length;) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            const int extra = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
            if (extra < 0 || i + extra >= length + (extra == 0 ? 1 : 0)) {
                points.push_back(U'\uFFFD');
                ++i;
                continue;
            }
            char32_t p = extra == 0 ? c : c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) p = (p << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            points.push_back(p);
            i += static_cast<std::size_t>(extra) + 1;
        }
    }
    std::u16string units;
    for (char32_t p : points) {
        if (p >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((p - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((p - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(p));
        }
    }
    if (wide_count == 0) return static_cast<int>(units.size());
    if (units.size() > static_cast<std::size_t>(wide_count)) return 0;
    std::memcpy(wide, units.data(), units.size() * sizeof(WCHAR));
    return static_cast<int>(units.size());
}
