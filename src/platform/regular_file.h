// Opening the game's data files for reading without being fooled by what a
// name may point at: only a regular file of bounded size opens. A FIFO would
// block the open, a device such as /dev/zero never ends, a directory reads
// as nothing; all of them count as a missing file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/file_system.h"

// No cap: the caller reads only a fixed number of bytes.
constexpr std::uint64_t kAnySize = ~std::uint64_t{0};

// Opens `path` for reading as raw bytes ("rb") if it names a regular file of
// at most `max_bytes`. The open itself never waits on the other end of a
// FIFO. On failure returns null and says why in `refusal` (when given);
// `size` (when given) receives the file's size.
std::FILE* open_regular_file(const char* path, std::uint64_t max_bytes, FileRefusal* refusal = nullptr,
                             std::uint64_t* size = nullptr);
