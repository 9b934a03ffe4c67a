// The null backend's file-system steps (file_system.h) over files kept in
// memory. Not implemented: folders and read-only files. The game's streams are
// real std::FILE streams (glibc's cookie streams) reading from or writing
// to a file's bytes here; a written file takes its place when it is closed.
#include <cstring>
#include <map>

#include <stdio.h>

#include "platform/file_system.h"
#include "platform/null/null_backend.h"

namespace {

std::map<std::string, MemoryFileBytes>& files() {
    static std::map<std::string, MemoryFileBytes> kept;
    return kept;
}

std::function<void(MemoryFileEvent, const std::string&)>& file_observer() {
    static std::function<void(MemoryFileEvent, const std::string&)> observer;
    return observer;
}

void tell(MemoryFileEvent event, const std::string& path) {
    if (file_observer()) file_observer()(event, path);
}

// One open stream: a copy of the file's bytes and a position in them.
struct Stream {
    std::string path;
    bool writing = false;
    MemoryFileBytes bytes;
    std::size_t position = 0;
};

ssize_t read_stream(void* cookie, char* buffer, std::size_t size) {
    auto* stream = static_cast<Stream*>(cookie);
    const std::size_t left = stream->bytes.size() - stream->position;
    const std::size_t count = size < left ? size : left;
    std::memcpy(buffer, stream->bytes.data() + stream->position, count);
    stream->position += count;
    return static_cast<ssize_t>(count);
}

ssize_t write_stream(void* cookie, const char* buffer, std::size_t size) {
    auto* stream = static_cast<Stream*>(cookie);
    stream->bytes.insert(stream->bytes.end(), buffer, buffer + size);
    return static_cast<ssize_t>(size);
}

int close_stream(void* cookie) {
    auto* stream = static_cast<Stream*>(cookie);
    if (stream->writing) files()[stream->path] = std::move(stream->bytes);
    delete stream;
    return 0;
}

std::FILE* open_stream(Stream* stream) {
    cookie_io_functions_t functions{};
    functions.read = read_stream;
    functions.write = write_stream;
    functions.close = close_stream;
    std::FILE* file = fopencookie(stream, stream->writing ? "wb" : "rb", functions);
    if (!file) delete stream;
    return file;
}

}  // namespace

void put_memory_file(const std::string& path, MemoryFileBytes bytes) { files()[path] = std::move(bytes); }

std::optional<MemoryFileBytes> memory_file(const std::string& path) {
    auto found = files().find(path);
    if (found == files().end()) return std::nullopt;
    return found->second;
}

void remove_memory_file(const std::string& path) { files().erase(path); }

void set_memory_file_observer(std::function<void(MemoryFileEvent, const std::string&)> observer) {
    file_observer() = std::move(observer);
}

bool file_replaceable(const char* path) { return path != nullptr; }

std::FILE* create_file(const char* path) {
    files()[path];  // the file exists, empty, from the open on
    return open_stream(new Stream{path, true, {}, 0});
}

bool remove_file(const char* path) { return files().erase(path) > 0; }

bool flush_to_disk(std::FILE* file) { return std::fflush(file) == 0; }

bool rename_over(const char* from, const char* to) {
    auto found = files().find(from);
    if (found == files().end()) return false;
    MemoryFileBytes bytes = std::move(found->second);
    files().erase(found);
    files()[to] = std::move(bytes);
    tell(MemoryFileEvent::Replaced, to);
    return true;
}

std::FILE* open_if_regular(const char* path, std::uint64_t& size, FileRefusal& refusal) {
    tell(MemoryFileEvent::Opening, path);
    auto found = files().find(path);
    if (found == files().end()) {
        refusal = FileRefusal::Missing;
        return nullptr;
    }
    size = found->second.size();
    std::FILE* file = open_stream(new Stream{path, false, found->second, 0});
    if (!file) refusal = FileRefusal::Missing;
    return file;
}
