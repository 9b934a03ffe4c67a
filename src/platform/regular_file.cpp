#include "platform/regular_file.h"

#if defined(_WIN32)
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::FILE* refuse(FileRefusal* refusal, FileRefusal why) {
    if (refusal) *refusal = why;
    return nullptr;
}

}  // namespace

std::FILE* open_regular_file(const char* path, std::uint64_t max_bytes, FileRefusal* refusal, std::uint64_t* size) {
    if (refusal) *refusal = FileRefusal::None;
    if (size) *size = 0;
    if (!path || !*path) return refuse(refusal, FileRefusal::Missing);
#if defined(_WIN32)
    // Windows opens no FIFO by a file name, and a directory does not open
    // with fopen; the type is still checked on the open file.
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return refuse(refusal, FileRefusal::Missing);
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return refuse(refusal, FileRefusal::NotRegular);
    }
#else
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer forever. The type is judged on the descriptor, not the name,
    // so nothing can be swapped in between.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refuse(refusal, FileRefusal::Missing);
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return refuse(refusal, FileRefusal::NotRegular);
    }
    // A regular file never blocks; reads go back to the ordinary mode.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        return refuse(refusal, FileRefusal::Missing);
    }
#endif
    const std::uint64_t bytes = info.st_size < 0 ? 0 : static_cast<std::uint64_t>(info.st_size);
    if (bytes > max_bytes) {
        std::fclose(file);
        return refuse(refusal, FileRefusal::TooLarge);
    }
    if (size) *size = bytes;
    return file;
}
