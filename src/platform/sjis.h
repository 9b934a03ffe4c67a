// Code page 932 (Shift-JIS) is how every text of the game is stored; these
// decode it where a text is drawn or shown. Invalid bytes decode to U+FFFD
// rather than failing, so a bad text never stops a frame.
#pragma once

#include <string>

// Decodes a zero-terminated code page 932 text (count < 0) or its first
// count bytes.
std::u32string cp932_to_utf32(const char* text, int count = -1);
std::string cp932_to_utf8(const char* text, int count = -1);
