// The test build's message box on Windows: every box the game shows is
// handed to the test's observer (test_hooks.h) first, and shown only while
// boxes are not suppressed. It takes the place of message_box_win32.cpp in
// every test program that watches boxes.
#include <string>

#include "platform/sjis.h"
#include "platform/test_hooks.h"
#include "platform/win32/wide_text.h"
#include "platform/window.h"

namespace {
MessageBoxObserver the_observer = nullptr;
bool suppressed = false;
}  // namespace

void set_message_box_observer(MessageBoxObserver observer) { the_observer = observer; }
void set_message_boxes_suppressed(bool on) { suppressed = on; }

int cp932_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    if (the_observer) the_observer(cp932_to_utf8(caption ? caption : ""), cp932_to_utf8(text ? text : ""));
    if (suppressed) return IDOK;
    std::wstring wide_text = wide_from_cp932(text ? text : "");
    std::wstring wide_caption = wide_from_cp932(caption ? caption : "");
    return MessageBoxW(owner, wide_text.c_str(), wide_caption.c_str(), style);
}
