#include "content/records.h"

#include <cstdint>
#include <cstdio>

#include "platform/record_file.h"
#include "state/game_state.h"

namespace records_detail {

namespace {

constexpr std::size_t kRecordBytes = 4;

// A time that is not above 0, not below 3599, or not a number means no record.
double clamped(double seconds) {
    if (!(seconds > 0.0) || !(seconds < kNoRecordSeconds)) return kNoRecordSeconds;
    return seconds;
}

}  // namespace

void load_records_from(const char* path) {
    std::uint8_t bytes[kRecordBytes];
    const int got = read_record_file(path, bytes, kRecordBytes);
    if (got < 0) return;
    int next = 0;
    // No check for the end of the file: a missing byte reads as -1 (EOF)
    // and is added like any byte; the clamp then decides.
    auto read_byte = [&]() -> double { return next < got ? bytes[next++] : -1.0; };
    for (double& best : game.best_seconds) {
        double value = 0.0;
        value += 60.0 * read_byte();
        value += read_byte();
        best = clamped(value);
    }
}

void save_records_to(const char* path) {
    // Where no new file can be made nothing happens, and the times in memory
    // stay as they are.
    std::FILE* file = begin_record_replace(path);
    if (!file) return;
    bool ok = true;
    for (double& best : game.best_seconds) {
        best = clamped(best);
        const int minutes = static_cast<int>(best / 60.0);
        const int seconds = static_cast<int>(best - 60.0 * minutes);
        ok = ok && std::fputc(minutes, file) != EOF;
        ok = ok && std::fputc(seconds, file) != EOF;
    }
    finish_record_replace(file, path, ok);  // a failure is silent; the old file stays whole
}

}  // namespace records_detail

void load_records() { records_detail::load_records_from(records_detail::kRecordPath); }

void save_records() { records_detail::save_records_to(records_detail::kRecordPath); }
