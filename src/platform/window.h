// The window-system services the shell calls: the window class and window,
// the message queue, the tick count and sleep, message boxes, the current
// directory and its conversion to UTF-16. They keep the names, meanings and
// signatures of the Windows calls; platform/sdl implements them elsewhere.
#pragma once

#include "platform/win_types.h"

// The instance handle of the running program, for code that runs the
// start-up without WinMain (tests).
HINSTANCE platform_instance();

// How large one pixel of the 1024 x 768 logical screen is drawn in the
// window now, in device-independent pixels: CSS pixels in the browser, the
// window system's screen coordinates under SDL, 96-DPI pixels on Windows.
// A finger's reach is counted in these. Where the picture is stretched
// unevenly, the smaller of the two axes' scales; 0 for a window of no size.
double logical_pixel_scale(HWND window);

#if defined(_WIN32)

#include <imm.h>

// The game hands its code page 932 texts (window title, message boxes) to
// the ANSI entry points. A Windows whose ANSI code page is not 932 would
// show them garbled, so on Windows these names reach thin wrappers
// (platform/win32/window_win32.cpp) that decode code page 932 and call the
// wide entry points. The window is then a wide window throughout: its
// class, its creation, its default procedure and its message loop.
ATOM cp932_RegisterClassExA(const WNDCLASSEXA* window_class);
BOOL cp932_UnregisterClassA(LPCSTR class_name, HINSTANCE instance);
HWND cp932_CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
LRESULT cp932_DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL cp932_PeekMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max, UINT remove);
LRESULT cp932_DispatchMessageA(const MSG* msg);
int cp932_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

#define RegisterClassExA cp932_RegisterClassExA
#define UnregisterClassA cp932_UnregisterClassA
#define CreateWindowExA cp932_CreateWindowExA
#define DefWindowProcA cp932_DefWindowProcA
#define PeekMessageA cp932_PeekMessageA
#define DispatchMessageA cp932_DispatchMessageA
#define MessageBoxA cp932_MessageBoxA

#else

using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

BOOL ImmDisableIME(DWORD thread_id);

// Icon resource 101 is the game's icon (32 x 32 and 16 x 16); the arrow is
// the one cursor there is.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT load);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);

ATOM RegisterClassExA(const WNDCLASSEXA* window_class);
BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE instance);
BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
int GetSystemMetrics(int index);
// The title is code page 932.
HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL ShowWindow(HWND window, int show);
BOOL UpdateWindow(HWND window);
BOOL DestroyWindow(HWND window);
BOOL GetWindowRect(HWND window, LPRECT rect);

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Queues a message for the window (or, for no window, the program), handed
// out before any new event of the window system.
BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int exit_code);
// The extra information of the message PeekMessageA handed out last: for a
// mouse message made from a finger, 0xFF515780 (the signature 0xFF515700
// in the upper 24 bits and the touch bit 0x80), as Windows marks it; 0 for
// every other message. On Windows this is the system's own.
LPARAM GetMessageExtraInfo();

DWORD GetTickCount();
void Sleep(DWORD milliseconds);

// Caption and text are code page 932; style 0 (OK only) is all the game uses.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

// Writes the current directory (in the ANSI code page, UTF-8 here) into
// buffer; returns its length, or the size needed (including the terminator)
// if the buffer is too small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer);

// Converts text in a code page to UTF-16. CP_ACP (here UTF-8) and 932 are
// known. count < 0 means zero-terminated (the terminator is converted too);
// with wide_count 0 it returns the size needed; otherwise the units
// written, or 0 when wide does not hold them all.
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int count, LPWSTR wide, int wide_count);

#endif
