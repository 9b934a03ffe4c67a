// The browser's sound for the hosted layer, over WebAudio: the page's audio
// context mixes, a wave is one decoded buffer, and every playing a buffer
// source of its own, so effects overlap each other and themselves. Browsers
// keep sound off until the player's first press; the page resumes the
// context then. The browser decodes in the background: a wave it cannot
// decode leaves only that effect silent.
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
