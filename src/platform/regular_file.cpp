#include "platform/regular_file.h"

#include "platform/file_system.h"

std::FILE* open_regular_file(const char* path, std::uint64_t max_bytes, FileRefusal* refusal, std::uint64_t* size) {
    FileRefusal why = FileRefusal::None;
    std::uint64_t bytes = 0;
    std::FILE* file = path && *path ? open_if_regular(path, bytes, why) : nullptr;
    if (!file && why == FileRefusal::None) why = FileRefusal::Missing;
    if (file && bytes > max_bytes) {
        std::fclose(file);
        file = nullptr;
        why = FileRefusal::TooLarge;
    }
    if (refusal) *refusal = why;
    if (size) *size = file ? bytes : 0;
    return file;
}
