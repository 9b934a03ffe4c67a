// Reading and replacing the record file over the file-system steps of
// file_system.h: the new file is written beside the old one and renamed
// over it, so the old record survives whole whatever fails first.
#include "platform/record_file.h"

#include <string>

#include "platform/file_system.h"
#include "platform/regular_file.h"

namespace {

bool fail_before_rename = false;

constexpr const char* kTemporarySuffix = ".tmp";

}  // namespace

int read_record_file(const char* path, std::uint8_t* bytes, std::size_t capacity) {
    // Only a regular file is a record file: a FIFO would block start-up, and
    // a directory would read as missing bytes and wipe both records.
    std::FILE* file = open_regular_file(path, kAnySize);
    if (!file) return -1;
    const std::size_t got = std::fread(bytes, 1, capacity, file);
    std::fclose(file);
    return static_cast<int>(got);
}

namespace {

std::string temporary_of(const char* path) { return std::string(path) + kTemporarySuffix; }

}  // namespace

std::FILE* begin_record_replace(const char* path) {
    if (!path || !file_replaceable(path)) return nullptr;
    return create_file(temporary_of(path).c_str());
}

bool finish_record_replace(std::FILE* file, const char* path, bool written) {
    const std::string temporary = temporary_of(path);
    bool ok = flush_to_disk(file) && written;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && !fail_before_rename;
    if (!ok || !rename_over(temporary.c_str(), path)) {
        remove_file(temporary.c_str());
        return false;
    }
    return true;
}

void set_record_replace_failure(bool fail) { fail_before_rename = fail; }
