// The message box on Windows: the game's code page 932 caption and text on
// the wide entry point, so they read right on a Windows of any language.
// Kept in a file of its own: a test build links one of its own that reports
// the box to the test (testing/message_box_win32_testing.cpp).
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/window.h"

int cp932_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    std::wstring wide_text = wide_from_cp932(text ? text : "");
    std::wstring wide_caption = wide_from_cp932(caption ? caption : "");
    return MessageBoxW(owner, wide_text.c_str(), wide_caption.c_str(), style);
}
