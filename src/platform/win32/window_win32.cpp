// The window system on Windows: the game's ANSI window calls reach the wide
// entry points here, with every text decoded from code page 932, so the
// title, the class name and the message boxes read right on a Windows of
// any language. Everything else the shell calls is the system's own.
#include <string>

#include "platform/logical_screen.h"

#include "platform/sjis.h"
#include "platform/faults.h"
#include "platform/win32/frame_skip.h"
#include "platform/win32/wide_text.h"
#include "platform/window.h"

namespace {

// A class or menu may be named by a number instead of a text; such names
// pass through as they are.
struct ResourceName {
    std::wstring text;
    LPCWSTR pointer = nullptr;

    explicit ResourceName(LPCSTR name) {
        if (!name) return;
        if (IS_INTRESOURCE(name)) {
            pointer = reinterpret_cast<LPCWSTR>(name);
            return;
        }
        text = wide_from_cp932(name);
        pointer = text.c_str();
    }
};

constexpr double kStandardDpi = 96;

// The window's dots per inch, where the system can say (Windows 10 1607
// on); 96 before that. The game declares itself unaware of DPI, so Windows
// scales its window and reports 96 for it anyway; a DPI-aware build would
// get its real density here.
double window_dpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = dpi_for_window ? dpi_for_window(window) : 0;
    return dpi > 0 ? static_cast<double>(dpi) : kStandardDpi;
}

}  // namespace

HINSTANCE platform_instance() { return GetModuleHandleW(nullptr); }

ATOM cp932_RegisterClassExA(const WNDCLASSEXA* window_class) {
    if (fault_injected(Fault::ClassRegistration)) return 0;
    if (!window_class) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ResourceName class_name(window_class->lpszClassName);
    ResourceName menu_name(window_class->lpszMenuName);
    WNDCLASSEXW wide{};
    // A wrong size stays wrong, so the system refuses it as it would have.
    wide.cbSize = window_class->cbSize == sizeof(WNDCLASSEXA) ? sizeof(WNDCLASSEXW) : 0;
    wide.style = window_class->style;
    wide.lpfnWndProc = window_class->lpfnWndProc;
    wide.cbClsExtra = window_class->cbClsExtra;
    wide.cbWndExtra = window_class->cbWndExtra;
    wide.hInstance = window_class->hInstance;
    wide.hIcon = window_class->hIcon;
    wide.hCursor = window_class->hCursor;
    wide.hbrBackground = window_class->hbrBackground;
    wide.lpszMenuName = menu_name.pointer;
    wide.lpszClassName = class_name.pointer;
    wide.hIconSm = window_class->hIconSm;
    return RegisterClassExW(&wide);
}

BOOL cp932_UnregisterClassA(LPCSTR class_name, HINSTANCE instance) {
    ResourceName name(class_name);
    return UnregisterClassW(name.pointer, instance);
}

HWND cp932_CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (fault_injected(Fault::WindowCreation)) return nullptr;
    ResourceName wide_class(class_name);
    std::wstring wide_title = title ? wide_from_cp932(title) : std::wstring();
    return CreateWindowExW(ex_style, wide_class.pointer, title ? wide_title.c_str() : nullptr, style, x, y, width,
                           height, parent, menu, instance, param);
}

// The window is a wide window, so its default handling is the wide one:
// the ANSI one would read the title handed over at creation as ANSI text.
// Every message of the game's window ends here, so this is also where the
// device learns that the window was exposed, resized or activated and must
// be drawn again even if the game's picture did not change.
LRESULT cp932_DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message_forces_redraw(message)) force_redraw(window);
    return DefWindowProcW(window, message, wparam, lparam);
}

BOOL cp932_PeekMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max, UINT remove) {
    return PeekMessageW(msg, window, filter_min, filter_max, remove);
}

LRESULT cp932_DispatchMessageA(const MSG* msg) { return DispatchMessageW(msg); }

double logical_pixel_scale(HWND window) {
    RECT client{};
    if (!window || !GetClientRect(window, &client)) return 0;
    const double scale = logical_scale_of(static_cast<double>(client.right) - client.left,
                                          static_cast<double>(client.bottom) - client.top);
    return scale > 0 ? scale * kStandardDpi / window_dpi(window) : 0;
}
