// Code page 932 texts as Windows' wide (UTF-16) strings, for the wide entry
// points every game text reaches on Windows. Invalid bytes become U+FFFD,
// one per byte, as on every platform.
#pragma once

#include <string>

std::wstring wide_from_cp932(const char* text, int count = -1);
