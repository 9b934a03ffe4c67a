// The window-system services the shell calls: the window class and window,
// the message queue, the tick count and sleep, message boxes and the
// current directory. They keep the names and meanings of the Windows calls
// they stand for; the SDL backend in platform/sdl implements them.
#pragma once

#include <string>

#include "platform/win_types.h"

// MultiByteToWideChar from the ANSI code page, zero-terminated, at most 260
// characters: how file names reach the sound loader. On this platform the
// ANSI code page of file names is UTF-8.
std::u16string ansi_to_utf16(const char* text);

#if !defined(_WIN32)

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
    UINT style;
    WNDPROC lpfnWndProc;
    HINSTANCE hInstance;
    int icon_resource;  // resource 101: the window icon
    const char* lpszClassName;
};

// The instance handle of the running program.
HINSTANCE platform_instance();

bool ImmDisableIME(DWORD thread_id);
bool RegisterClassExA(const WNDCLASSEXA* wc);
bool UnregisterClassA(const char* class_name, HINSTANCE instance);
bool AdjustWindowRect(RECT* rect, DWORD style, bool menu);
int GetSystemMetrics(int index);
HWND CreateWindowExA(DWORD ex_style, const char* class_name, const char* title_sjis, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param);
bool ShowWindow(HWND window, int show);
bool UpdateWindow(HWND window);
bool DestroyWindow(HWND window);
bool GetWindowRect(HWND window, RECT* rect);

bool PeekMessageA(MSG* msg, HWND window, UINT filter_min, UINT filter_max, UINT remove);
bool TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int exit_code);

DWORD GetTickCount();
void Sleep(DWORD milliseconds);

// Caption and text are code page 932; style 0 (OK only) is all the game uses.
int MessageBoxA(HWND owner, const char* text_sjis, const char* caption_sjis, UINT style);

// Writes the current directory (code page 932/ANSI) into buffer; returns its
// length, or the size needed (including the terminator) if the buffer is too
// small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD buffer_length, char* buffer);

#endif
