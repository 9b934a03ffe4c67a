// The effect player on SDL_mixer (host_sound.h).
//
// Implements: an output of as many mixer channels as voices asked for, one
// chunk per wave decoded from the bytes the game loaded (any wave SDL_mixer
// reads), each playing on a free channel so that effects overlap each other
// and themselves, stopping them all; a machine without an audio device
// opens nothing and plays on silently.
//
// Not implemented: volume, panning and the audio paths' effects (the game
// asks for none); music; a playing that finds every channel busy is silent.
#include <SDL.h>
#include <SDL_mixer.h>

#include "platform/hosted/host_sound.h"

struct HostWave {
    Mix_Chunk* chunk;
};

namespace {

struct Output {
    bool audio_initialised = false;
    bool open = false;
};

Output& output() {
    static Output o;
    return o;
}

}  // namespace

bool host_sound_open(int channels) {
    Output& o = output();
    if (o.open) return true;
    if (!o.audio_initialised) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        o.audio_initialised = true;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) return false;
    o.open = true;
    Mix_AllocateChannels(channels);
    return true;
}

void host_sound_close() {
    Output& o = output();
    if (o.open) {
        Mix_HaltChannel(-1);
        Mix_CloseAudio();
        o.open = false;
    }
    if (o.audio_initialised) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        o.audio_initialised = false;
    }
}

// A mixer library older than the one the game was built against cannot be
// trusted to mix at all.
bool host_sound_usable() {
    const SDL_version* linked = Mix_Linked_Version();
    SDL_version compiled;
    SDL_MIXER_VERSION(&compiled);
    return linked && linked->major == compiled.major &&
           SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) >=
               SDL_VERSIONNUM(compiled.major, compiled.minor, 0);
}

HostWave* host_sound_load_wave(const void* bytes, std::size_t size, const char*) {
    SDL_RWops* memory = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (!memory) return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(memory, 1);  // the chunk owns its samples; the bytes may go
    return chunk ? new HostWave{chunk} : nullptr;
}

void host_sound_free_wave(HostWave* wave) {
    // A chunk may still be playing: halt its channels before freeing it.
    if (Mix_QuerySpec(nullptr, nullptr, nullptr)) {
        int channels = Mix_AllocateChannels(-1);
        for (int c = 0; c < channels; ++c)
            if (Mix_GetChunk(c) == wave->chunk && Mix_Playing(c)) Mix_HaltChannel(c);
    }
    Mix_FreeChunk(wave->chunk);
    delete wave;
}

bool host_sound_play(HostWave* wave) { return output().open && Mix_PlayChannel(-1, wave->chunk, 0) >= 0; }

void host_sound_stop_all() {
    if (output().open) Mix_HaltChannel(-1);
}
