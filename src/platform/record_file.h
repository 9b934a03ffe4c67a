// What the record file needs from the system: reading the few bytes of a
// small file of the player's, and replacing it in one step so that the old
// file survives whole whatever fails. The byte layout and the clamp rule are
// the game's (content/records.cpp); only the file handling is here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Reads up to `capacity` bytes of the file at `path` into `bytes`; returns
// how many it read, or -1 when there is no readable regular file there (a
// missing file, a folder, a FIFO or a device all count as none).
int read_record_file(const char* path, std::uint8_t* bytes, std::size_t capacity);

// Replacing the file at `path` in two steps, so the caller writes only once
// the new file exists. begin_record_replace makes the new file beside it;
// null when nothing can be written: the file is read-only (the user's word,
// honoured even for a privileged process), the name is taken by something
// that is not a regular file, or the folder takes no new file.
std::FILE* begin_record_replace(const char* path);
// Forces the new file to the disk, closes it and renames it over `path`.
// With `written` false, or on any failure, the new file is removed and the
// old one stays whole. True when the new file took the old one's place.
bool finish_record_replace(std::FILE* file, const char* path, bool written);

// For tests: makes the next replacements fail after the new file is
// complete but before it takes the old one's place.
void set_record_replace_failure(bool fail_before_rename);
