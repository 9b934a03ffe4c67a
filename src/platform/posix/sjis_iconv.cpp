// The code page 932 decoder of every platform but Windows, over iconv;
// Windows has its own (platform/win32/sjis_win32.cpp).
#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace {

// One converter per target encoding, opened on first use and kept for the
// run: the game decodes texts every frame.
struct Converter {
    iconv_t cd;
    explicit Converter(const char* to) : cd(iconv_open(to, "CP932")) {}
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

template <typename Out>
Out convert(Converter& conv, const char* text, int count, const Out& replacement) {
    Out result;
    if (!text) return result;
    size_t in_left = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
    if (conv.cd == reinterpret_cast<iconv_t>(-1)) return result;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text);
    using Unit = typename Out::value_type;
    Unit buffer[256];
    while (in_left > 0) {
        char* out = reinterpret_cast<char*>(buffer);
        size_t out_left = sizeof(buffer);
        size_t r = iconv(conv.cd, &in, &in_left, &out, &out_left);
        result.append(buffer, static_cast<size_t>(out - reinterpret_cast<char*>(buffer)) / sizeof(Unit));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or truncated sequence: replace one byte and go on.
            result += replacement;
            ++in;
            --in_left;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return result;
}

}  // namespace

std::u32string cp932_to_utf32(const char* text, int count) {
    static Converter conv("UTF-32LE");
    return convert(conv, text, count, std::u32string(1, U'\uFFFD'));
}

std::string cp932_to_utf8(const char* text, int count) {
    static Converter conv("UTF-8");
    return convert(conv, text, count, std::string("\xEF\xBF\xBD"));
}
