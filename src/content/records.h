// The best time of each mode, kept between runs in game/data_save.dat (four
// bytes: minutes and seconds of the municipality mode, then of the mascot
// mode). Every file error is silent; the game then runs on the times in
// memory.
#pragma once

// Replaces both best_seconds from the file; a missing file, or anything at
// that name that is not a regular file, leaves them as they are. A byte missing from a short file counts as -1, and a time that
// is not above 0 or not below 3599 becomes 3599 (no record).
void load_records();

// Clamps both best_seconds as load_records does and writes them. The new
// file is written beside the old one and then renamed over it, so the old
// record survives whole if anything fails before the new one is complete.
// Where the file could not be opened for writing in place (read-only, or not
// a regular file) nothing is written and the old file stays.
void save_records();

// For the tests: the same operations on any path (set_record_replace_failure
// of platform/record_file.h makes a write fail just before the replace).
namespace records_detail {

constexpr const char* kRecordPath = "game/data_save.dat";

void load_records_from(const char* path);
void save_records_to(const char* path);

}  // namespace records_detail
