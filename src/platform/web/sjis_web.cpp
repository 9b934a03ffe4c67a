// Code page 932 in the browser (sjis.h).
//
// Implements: decoding with the page's own Shift_JIS decoder (the one every
// browser has for the web's Japanese pages), which reads the Windows code
// page's characters as Windows does. The game's texts are decoded once
// each and cached by the font layout, so the way out to the page is cheap.
//
// Not implemented: encoding (the game only decodes).
#include "platform/sjis.h"

#include <cstdlib>
#include <cstring>

#include "platform/web/web_page.h"

namespace {

std::u32string utf8_to_utf32(const std::string& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        char32_t p = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            p = (p << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(p);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

std::string cp932_to_utf8(const char* text, int count) {
    std::string result;
    if (!text) return result;
    const std::size_t length = count < 0 ? std::strlen(text) : static_cast<std::size_t>(count);
    if (length == 0) return result;
    std::size_t size = 0;
    char* utf8 = pokomaru_decode_cp932(text, length, &size);
    if (!utf8) return result;
    result.assign(utf8, size);
    std::free(utf8);
    return result;
}

std::u32string cp932_to_utf32(const char* text, int count) { return utf8_to_utf32(cp932_to_utf8(text, count)); }
