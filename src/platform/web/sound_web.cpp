// The browser's sound for the hosted layer (host_sound.h), over WebAudio.
//
// Implements: the page's audio context as the output; a wave as one buffer
// the browser decodes in the background; every playing a buffer source of
// its own, so effects overlap each other and themselves; stopping them all.
//
// Not implemented: sound before the player's first press (browsers keep
// pages silent until then; the page resumes the context at that press); a
// wave the browser cannot decode plays silently rather than failing its
// load; a limit on voices (every playing gets its own source).
#include "platform/hosted/host_sound.h"
#include "platform/web/web_page.h"

struct HostWave {
    int effect;
};

namespace {

bool open = false;
int next_effect = 0;

}  // namespace

bool host_sound_open(int) {
    open = true;
    return true;
}

void host_sound_close() {
    if (open) pokomaru_sound_stop(-1, 0);
    open = false;
}

bool host_sound_usable() { return true; }

HostWave* host_sound_load_wave(const void* bytes, std::size_t size, const char* name) {
    if (!bytes || size == 0) return nullptr;
    auto* wave = new HostWave{next_effect++};
    pokomaru_sound_load(wave->effect, name ? name : "", static_cast<const std::uint8_t*>(bytes), size);
    return wave;
}

void host_sound_free_wave(HostWave* wave) {
    if (!wave) return;
    pokomaru_sound_stop(wave->effect, 1);
    delete wave;
}

bool host_sound_play(HostWave* wave) {
    if (!open || !wave) return false;
    pokomaru_sound_play(wave->effect);
    return true;
}

void host_sound_stop_all() { pokomaru_sound_stop(-1, 0); }
