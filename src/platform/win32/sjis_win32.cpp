// Code page 932 decoding on Windows, by the system's own converter. Texts
// are converted whole when they are valid (all the game's own are); a text
// with a bad byte is taken one character at a time so that exactly that
// byte becomes U+FFFD, as the decoder of the other platforms does.
#include <string>

#include "platform/sjis.h"
#include "platform/win32/wide_text.h"
#include "platform/win_types.h"

namespace {

constexpr UINT kShiftJis = 932;
constexpr wchar_t kReplacement = 0xFFFD;

// Decodes one character of n bytes; false when they are not one.
bool decode_character(const char* bytes, int n, std::wstring& out) {
    wchar_t units[2];
    int written = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes, n, units, 2);
    if (written <= 0) return false;
    out.append(units, static_cast<std::size_t>(written));
    return true;
}

}  // namespace

std::wstring wide_from_cp932(const char* text, int count) {
    std::wstring out;
    if (!text) return out;
    int length = 0;
    if (count < 0)
        while (text[length]) ++length;
    else
        length = count;
    if (length == 0) return out;

    int needed = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (needed > 0) {
        out.resize(static_cast<std::size_t>(needed));
        MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, text, length, out.data(), needed);
        return out;
    }
    for (int i = 0; i < length;) {
        auto byte = static_cast<unsigned char>(text[i]);
        bool lead = IsDBCSLeadByteEx(kShiftJis, byte) != 0;
        if (lead && i + 1 < length && decode_character(text + i, 2, out)) {
            i += 2;
        } else if (!lead && decode_character(text + i, 1, out)) {
            i += 1;
        } else {
            out.push_back(kReplacement);
            i += 1;
        }
    }
    return out;
}

std::u32string cp932_to_utf32(const char* text, int count) {
    std::wstring wide = wide_from_cp932(text, count);
    std::u32string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t unit = static_cast<char16_t>(wide[i]);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < wide.size()) {
            char32_t low = static_cast<char16_t>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                out.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        out.push_back(unit);
    }
    return out;
}

std::string cp932_to_utf8(const char* text, int count) {
    std::wstring wide = wide_from_cp932(text, count);
    if (wide.empty()) return {};
    int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string out(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), needed, nullptr,
                            nullptr);
    return out;
}
