#include "shell/main_window.h"

#include <cstdint>

#include "platform/logical_screen.h"
#include "ui_text.h"
#include "state/game_state.h"
#include "scenes/scenes.h"

namespace {
constexpr const char* kClassName = "MainClass";
constexpr int kIconResource = 101;
constexpr int kLiftPixels = 32;

// Windows marks the mouse messages it makes from a finger (or a pen) with a
// signature in the message's extra information, 0x80 set for a finger.
constexpr std::uint32_t kPointerSignatureMask = 0xFFFFFF80u;
constexpr std::uint32_t kTouchSignature = 0xFF515780u;

std::uint8_t message_from_finger() {
    const auto extra = static_cast<std::uint32_t>(static_cast<std::uintptr_t>(GetMessageExtraInfo()));
    return (extra & kPointerSignatureMask) == kTouchSignature ? 1 : 0;
}
}  // namespace

bool create_main_window(HINSTANCE instance) {
    ImmDisableIME(static_cast<DWORD>(-1));

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = window_proc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, 16, 16,
                                               LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_WINDOW + 1));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return false;

    game.window_rect = RECT{0, 0, kLogicalWidth + kFrameAllowanceWidth, kLogicalHeight + kFrameAllowanceHeight};
    AdjustWindowRect(&game.window_rect, WS_SYSMENU, FALSE);
    // The adjusted right and bottom, not the differences, are the size.
    int width = game.window_rect.right;
    int height = game.window_rect.bottom;

    // Centred by the logical size, not by the window's own, and lifted.
    int x = (GetSystemMetrics(SM_CXSCREEN) - kLogicalWidth) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - kLogicalHeight) / 2 - kLiftPixels;
    main_window = CreateWindowExA(0, kClassName, ui_text::kWindowTitle, WS_OVERLAPPEDWINDOW, x, y, width, height,
                                  nullptr, nullptr, instance, nullptr);
    return main_window != nullptr;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            main_window = nullptr;
            return 0;
        case WM_ACTIVATE:
            game.window_active = LOWORD(wparam) != 0 ? 1 : 0;
            break;
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE && game.current_scene != Title) {
                game.current_scene = Title;
                reset_board();
            }
            break;
        case WM_MOUSEMOVE:
            game.pointer_is_touch = message_from_finger();
            game.mouse_x = static_cast<double>(LOWORD(static_cast<std::uintptr_t>(lparam)));
            game.mouse_y = static_cast<double>(HIWORD(static_cast<std::uintptr_t>(lparam)));
            break;
        case WM_LBUTTONDOWN:
            game.pointer_is_touch = message_from_finger();
            game.mouse_down = 1;
            game.press_consumed = 0;
            break;
        case WM_LBUTTONUP:
            game.pointer_is_touch = message_from_finger();
            game.mouse_down = 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
