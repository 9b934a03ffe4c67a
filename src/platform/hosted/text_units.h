// UTF-8 and UTF-16 as the hosted layer converts them (file names, the wide
// texts the DirectMusic calls take). Invalid sequences become U+FFFD.
#pragma once

#include <cstddef>
#include <string>

std::u32string utf8_to_utf32(const char* text, std::size_t length);
std::u16string utf32_to_utf16(const std::u32string& code_points);
// A zero-terminated UTF-16 text as UTF-8 (empty for null).
std::string utf16_to_utf8(const char16_t* text);
