// The file-system steps that differ between systems, under the shared code
// of the record file and of the data files (record_file.cpp and
// regular_file.cpp): one implementation per system family, in posix/ and
// win32/, and one in memory for the headless tests (null/).
#pragma once

#include <cstdint>
#include <cstdio>

// Why a file did not open for reading.
enum class FileRefusal {
    None,
    Missing,     // no such file, or it cannot be read
    NotRegular,  // a directory, FIFO, device or socket
    TooLarge,    // a regular file above the cap
};

// Whether a plain "wb" open of `path` would succeed, asked without
// truncating it; a file that does not exist yet can be made. A read-only
// file (no write permission at all, or the read-only attribute) is the
// user's word and counts as not writable even for a privileged process.
bool file_replaceable(const char* path);

// Opens `path` for writing raw bytes ("wb"), made anew or emptied.
std::FILE* create_file(const char* path);

// Removes the file at `path`; false when there was none to remove.
bool remove_file(const char* path);

// Forces what was written to an open file onto the disk.
bool flush_to_disk(std::FILE* file);

// Puts `from` in the place of `to` in one step, durably.
bool rename_over(const char* from, const char* to);

// Opens `path` for reading as raw bytes only if it is a regular file, judged
// on the open file itself, without ever waiting on the other end of a FIFO;
// gives its size. Null with the reason otherwise.
std::FILE* open_if_regular(const char* path, std::uint64_t& size, FileRefusal& refusal);
