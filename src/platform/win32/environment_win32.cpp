#include "platform/environment.h"

#include <windows.h>

// The wide environment is the process's own; the C runtime's narrow copy
// would pass through the ANSI code page. The values the game reads are
// plain ASCII.
std::string environment_variable(const char* name) {
    wchar_t wide_name[64];
    int i = 0;
    for (; name[i] && i < 63; ++i) wide_name[i] = static_cast<wchar_t>(static_cast<unsigned char>(name[i]));
    wide_name[i] = 0;
    wchar_t buffer[512];
    const DWORD length = GetEnvironmentVariableW(wide_name, buffer, 512);
    if (length == 0 || length >= 512) return {};
    std::string value;
    for (DWORD k = 0; k < length; ++k) value.push_back(buffer[k] < 0x80 ? static_cast<char>(buffer[k]) : '?');
    return value;
}
