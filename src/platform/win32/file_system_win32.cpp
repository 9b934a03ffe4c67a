// The file-system steps on Windows.
#include "platform/file_system.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

// The read-only attribute is the user's word, asked first: an open for
// writing by a privileged process may not honour it everywhere.
bool file_replaceable(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(handle);
    return true;
}

// Shared for reading while it is written, as the record file itself is read;
// the handle is not inherited by a program the game might start.
std::FILE* create_file(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

bool remove_file(const char* path) { return DeleteFileA(path) != 0; }

bool flush_to_disk(std::FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool rename_over(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Windows opens no FIFO by a file name, and a directory does not open with
// fopen; the type is still checked on the open file.
std::FILE* open_if_regular(const char* path, std::uint64_t& size, FileRefusal& refusal) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        refusal = FileRefusal::Missing;
        return nullptr;
    }
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        refusal = FileRefusal::NotRegular;
        return nullptr;
    }
    size = info.st_size < 0 ? 0 : static_cast<std::uint64_t>(info.st_size);
    return file;
}
