// The failure box in the browser (host_message_box.h).
//
// Implements: a dialog over the page with the caption, the text and an OK
// button; the game waits (an asynchronous wait) until it is pressed.
//
// Not implemented: buttons other than OK.
#include <string>

#include "platform/hosted/host_message_box.h"
#include "platform/sjis.h"
#include "platform/web/web_page.h"

void host_show_message_box(HostWindow*, const char* caption_sjis, const char* text_sjis) {
    const std::string caption = cp932_to_utf8(caption_sjis);
    const std::string text = cp932_to_utf8(text_sjis);
    pokomaru_message_box(caption.c_str(), text.c_str());
}
