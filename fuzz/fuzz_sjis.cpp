// The code page 932 text layer on any bytes: both decoders must give valid
// text, agree with each other, and never make more characters than bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/sjis.h"

namespace {

std::string utf8_of(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void check(const char* text, int count, std::size_t bytes) {
    const std::u32string wide = cp932_to_utf32(text, count);
    const std::string narrow = cp932_to_utf8(text, count);
    if (wide.size() > bytes) std::abort();
    for (char32_t c : wide)
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) std::abort();
    if (narrow != utf8_of(wide)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Counted: exactly the bytes given, zeros included.
    check(bytes.data(), static_cast<int>(size), size);
    // Zero-terminated: up to the first zero.
    check(bytes.c_str(), -1, bytes.find('\0') == std::string::npos ? size : bytes.find('\0'));
    return 0;
}
