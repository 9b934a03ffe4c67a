// The null backend's sound (host_sound.h). Implements: an output that opens,
// takes any RIFF wave, and starts it silently; a test may watch which waves
// were started (null_backend.h). Not implemented: mixing anything audible.
#include <cstring>

#include "platform/hosted/host_sound.h"
#include "platform/null/null_backend.h"

struct HostWave {
    std::string name;
};

namespace {

bool output_open = false;

std::function<void(const std::string&)>& sound_observer() {
    static std::function<void(const std::string&)> observer;
    return observer;
}

}  // namespace

void set_null_sound_observer(std::function<void(const std::string&)> observer) {
    sound_observer() = std::move(observer);
}

bool host_sound_open(int channels) {
    output_open = channels > 0;
    return output_open;
}

void host_sound_close() { output_open = false; }

bool host_sound_usable() { return true; }

// A wave file is a RIFF file of the form WAVE; what it holds is not looked at.
HostWave* host_sound_load_wave(const void* bytes, std::size_t size, const char* name) {
    const auto* data = static_cast<const char*>(bytes);
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return nullptr;
    return new HostWave{name ? name : ""};
}

void host_sound_free_wave(HostWave* wave) { delete wave; }

bool host_sound_play(HostWave* wave) {
    if (!output_open) return false;
    if (sound_observer()) sound_observer()(wave->name);
    return true;
}

void host_sound_stop_all() {}
