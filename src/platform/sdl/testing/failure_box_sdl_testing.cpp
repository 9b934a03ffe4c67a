// The test build's failure box on SDL (host_message_box.h): every box the
// game shows is handed to the test's observer (test_hooks.h) and none is
// drawn, whether suppressed or not (tests run without a display). It takes
// the place of failure_box_sdl.cpp in every test program that watches boxes.
#include "platform/hosted/host_message_box.h"
#include "platform/sjis.h"
#include "platform/test_hooks.h"

namespace {
MessageBoxObserver the_observer = nullptr;
}  // namespace

void set_message_box_observer(MessageBoxObserver observer) { the_observer = observer; }
void set_message_boxes_suppressed(bool) {}

void host_show_message_box(HostWindow*, const char* caption_sjis, const char* text_sjis) {
    if (the_observer) the_observer(cp932_to_utf8(caption_sjis), cp932_to_utf8(text_sjis));
}
