// The file-system steps on POSIX systems (file_system.h): Linux, and the
// browser's file system (which keeps its files in the browser's storage).
// Implements: opening only regular files, making a new file beside the old
// one, flushing it to the disk and renaming it over the old one. Not
// implemented: locking (one game writes its one record file).
#include "platform/file_system.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool file_replaceable(const char* path) {
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
}

// Never written through a link left at the name (the temporary record
// file's): the link itself is removed and a file made in its place. Never
// inherited by a program the game might start.
std::FILE* create_file(const char* path) {
    constexpr int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    int fd = open(path, flags, 0666);
    if (fd < 0 && errno == ELOOP && unlink(path) == 0) fd = open(path, flags | O_EXCL, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) close(fd);
    return file;
}

bool remove_file(const char* path) { return unlink(path) == 0; }

bool flush_to_disk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

// The folder is synced too, so that the rename itself outlives a power cut.
bool rename_over(const char* from, const char* to) {
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
}

std::FILE* open_if_regular(const char* path, std::uint64_t& size, FileRefusal& refusal) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer forever. The type is judged on the descriptor, not the name,
    // so nothing can be swapped in between.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        refusal = FileRefusal::Missing;
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        refusal = FileRefusal::NotRegular;
        return nullptr;
    }
    // A regular file never blocks; reads go back to the ordinary mode.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        refusal = FileRefusal::Missing;
        return nullptr;
    }
    size = info.st_size < 0 ? 0 : static_cast<std::uint64_t>(info.st_size);
    return file;
}
