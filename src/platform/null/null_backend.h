// What a headless test sees of the null backend: the files it keeps in
// memory instead of on a disk, and the waves its silent sound was asked to
// play. Everything else of the backend is the house below the game with
// nothing behind it: no window, no screen, no devices.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using MemoryFileBytes = std::vector<std::uint8_t>;

// The memory file system. Paths are names as the game gives them, compared
// byte for byte; there are no folders and no read-only files.
void put_memory_file(const std::string& path, MemoryFileBytes bytes);
std::optional<MemoryFileBytes> memory_file(const std::string& path);
void remove_memory_file(const std::string& path);

enum class MemoryFileEvent {
    Opening,   // the game is about to open the path for reading (whether a file is there or not)
    Replaced,  // a new file has just taken the path's place
};
// Called on every such event; an Opening observer may still put or remove
// the file the game is about to open. Empty: none.
void set_memory_file_observer(std::function<void(MemoryFileEvent, const std::string& path)> observer);

// Called with a wave's name, as the game named it when loading it, each
// time the silent sound starts it.
void set_null_sound_observer(std::function<void(const std::string& wave)> observer);
