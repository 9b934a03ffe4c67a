#include "content/records.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/regular_file.h"
#include "scenes/game_state.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace records_detail {

bool fail_before_rename = false;

namespace {

constexpr const char* kTemporarySuffix = ".tmp";

// A time that is not above 0, not below 3599, or not a number means no record.
double clamped(double seconds) {
    if (!(seconds > 0.0) || !(seconds < kNoRecordSeconds)) return kNoRecordSeconds;
    return seconds;
}

// Forces the bytes of an open file onto the disk.
bool flush_to_disk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Puts the new file in the old one's place in one step. On POSIX the folder
// is synced too, so that the rename itself outlives a power cut.
bool replace_file(const char* from, const char* to) {
#if defined(_WIN32)
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    if (std::rename(from, to) != 0) return false;
    const std::string target(to);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);  // the new record is in place already; this only hardens it
        close(fd);
    }
    return true;
#endif
}

// Whether a plain "wb" open of the record file would succeed, asked without
// truncating it: the new file replaces the old one by a rename, which would
// also go through where the old file is read-only or is no file at all. A
// record file that does not exist yet can be made.
bool record_file_writable(const char* path) {
#if defined(_WIN32)
    // The read-only attribute is the user's word, asked first: an open for
    // writing by a privileged process may not honour it everywhere.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(handle);
    return true;
#else
    struct stat info;
    if (stat(path, &info) != 0) return errno == ENOENT;
    if (!S_ISREG(info.st_mode)) return false;  // a FIFO, device or directory is no record file
    // A file without any write permission was made read-only on purpose, as
    // with the Windows read-only attribute, which holds for an administrator
    // too; so it holds here for the superuser, whose open would succeed.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    const int fd = open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
#endif
}

}  // namespace

void load_records_from(const char* path) {
    // Only a regular file is a record file: a FIFO would block start-up, and
    // a directory would read as two missing bytes and wipe both records.
    std::FILE* file = open_regular_file(path, kAnySize);
    if (!file) return;
    for (double& best : game.best_seconds) {
        // No check for the end of the file: a missing byte reads as -1 (EOF)
        // and is added like any byte; the clamp then decides.
        double value = 0.0;
        value += 60.0 * std::fgetc(file);
        value += std::fgetc(file);
        best = clamped(value);
    }
    std::fclose(file);
}

void save_records_to(const char* path) {
    if (!record_file_writable(path)) return;
    const std::string temporary = std::string(path) + kTemporarySuffix;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return;
    bool ok = true;
    for (double& best : game.best_seconds) {
        best = clamped(best);
        const int minutes = static_cast<int>(best / 60.0);
        const int seconds = static_cast<int>(best - 60.0 * minutes);
        ok = ok && std::fputc(minutes, file) != EOF;
        ok = ok && std::fputc(seconds, file) != EOF;
    }
    ok = flush_to_disk(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && !fail_before_rename;
    if (!ok || !replace_file(temporary.c_str(), path)) std::remove(temporary.c_str());
}

}  // namespace records_detail

void load_records() { records_detail::load_records_from(records_detail::kRecordPath); }

void save_records() { records_detail::save_records_to(records_detail::kRecordPath); }
