// The sound system on SDL_mixer: the performance is the mixer with 64
// channels, so effects overlap each other and themselves; a segment is one
// loaded wave (a Mix_Chunk); an audio path is a handle with nothing behind
// it, since SDL_mixer has one output.
//
// Without any audio device the mixer cannot be opened; that result is
// ignored as the game ignores it, the waves then fail to load and every
// effect is silent while the game plays on. What stands for "no default
// audio path" is a mixer library older than the one the game was built
// against: such a library cannot be trusted to mix at all.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/direct_music.h"
#include "platform/regular_file.h"
#include "platform/test_hooks.h"

namespace {

// The game's effects last a second or two; a minute of CD-quality stereo is
// about 10 MiB. Anything larger is not one of its waves.
constexpr std::uint64_t kMaxWaveFileBytes = std::uint64_t{32} << 20;

// Decodes a wave file into a chunk. Only a regular file within the cap is
// read, whole, before the mixer sees it: a FIFO would block and a link to
// a device such as /dev/zero would be read without end.
Mix_Chunk* load_wave_file(const std::string& path) {
    std::uint64_t size = 0;
    std::FILE* file = open_regular_file(path.c_str(), kMaxWaveFileBytes, nullptr, &size);
    if (!file) return nullptr;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got == 0) return nullptr;
    SDL_RWops* memory = SDL_RWFromConstMem(bytes.data(), static_cast<int>(got));
    if (!memory) return nullptr;
    return Mix_LoadWAV_RW(memory, 1);  // the chunk owns its samples; the bytes may go
}

std::string utf16_to_utf8(const char16_t* text) {
    std::string out;
    if (!text) return out;
    std::size_t n = 0;
    while (text[n]) ++n;
    char* converted = SDL_iconv_string("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(text), (n + 1) * 2);
    if (converted) {
        out = converted;
        SDL_free(converted);
    }
    return out;
}

class SdlAudioPath final : public IDirectMusicAudioPath8 {
public:
    UINT Release() override {
        delete this;
        return 0;
    }
};

class SdlSegmentState final : public IDirectMusicSegmentState8 {
public:
    explicit SdlSegmentState(int channel) : channel_(channel) {}
    UINT Release() override {
        delete this;
        return 0;
    }
    int channel() const { return channel_; }

private:
    int channel_;
};

class SdlSegment final : public IDirectMusicSegment8 {
public:
    explicit SdlSegment(Mix_Chunk* chunk) : chunk_(chunk) {}
    HRESULT Download(IDirectMusicPerformance8* performance) override { return performance ? S_OK : E_INVALIDARG; }
    HRESULT Unload(IDirectMusicPerformance8* performance) override { return performance ? S_OK : E_INVALIDARG; }
    UINT Release() override {
        // A chunk may still be playing: halt its channels before freeing it.
        if (chunk_ && Mix_QuerySpec(nullptr, nullptr, nullptr)) {
            int channels = Mix_AllocateChannels(-1);
            for (int c = 0; c < channels; ++c)
                if (Mix_GetChunk(c) == chunk_ && Mix_Playing(c)) Mix_HaltChannel(c);
        }
        if (chunk_) Mix_FreeChunk(chunk_);
        delete this;
        return 0;
    }
    Mix_Chunk* chunk() const { return chunk_; }

private:
    Mix_Chunk* chunk_;
};

class SdlPerformance final : public IDirectMusicPerformance8 {
public:
    HRESULT InitAudio(HWND, DWORD, DWORD performance_channels, DWORD) override {
        if (open_) return S_OK;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return DMUS_E_NOT_INIT;
        audio_initialised_ = true;
        if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) return DMUS_E_NOT_INIT;
        open_ = true;
        Mix_AllocateChannels(static_cast<int>(performance_channels));
        return S_OK;
    }

    HRESULT GetDefaultAudioPath(IDirectMusicAudioPath8** path) override {
        if (!path) return E_INVALIDARG;
        *path = nullptr;
        const SDL_version* linked = Mix_Linked_Version();
        SDL_version compiled;
        SDL_MIXER_VERSION(&compiled);
        if (fault_injected(Fault::AudioPath) || !linked || linked->major != compiled.major ||
            SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) <
                SDL_VERSIONNUM(compiled.major, compiled.minor, 0))
            return E_FAIL;
        *path = new SdlAudioPath;
        return S_OK;
    }

    HRESULT CreateStandardAudioPath(DWORD, DWORD, BOOL, IDirectMusicAudioPath8** path) override {
        if (!path) return E_INVALIDARG;
        *path = new SdlAudioPath;
        return S_OK;
    }

    HRESULT PlaySegmentEx(IDirectMusicSegment8* segment, DWORD, std::int64_t, IDirectMusicSegmentState8** state,
                          IDirectMusicAudioPath8*) override {
        if (state) *state = nullptr;
        auto* s = static_cast<SdlSegment*>(segment);
        if (!open_ || !s || !s->chunk()) return DMUS_E_NOT_INIT;
        int channel = Mix_PlayChannel(-1, s->chunk(), 0);
        if (channel < 0) return E_FAIL;  // every channel busy: this playing is silent
        if (state) *state = new SdlSegmentState(channel);
        return S_OK;
    }

    HRESULT Stop() override {
        if (open_) Mix_HaltChannel(-1);
        return S_OK;
    }

    HRESULT CloseDown() override {
        if (open_) {
            Mix_HaltChannel(-1);
            Mix_CloseAudio();
            open_ = false;
        }
        if (audio_initialised_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audio_initialised_ = false;
        }
        return S_OK;
    }

    UINT Release() override {
        CloseDown();
        delete this;
        return 0;
    }

private:
    bool audio_initialised_ = false;
    bool open_ = false;
};

class SdlLoader final : public IDirectMusicLoader8 {
public:
    HRESULT SetSearchDirectory(const char16_t* directory, BOOL) override {
        if (!directory) return E_INVALIDARG;
        directory_ = utf16_to_utf8(directory);
        return S_OK;
    }

    HRESULT LoadObjectFromFile(const char16_t* file_name, IDirectMusicSegment8** segment) override {
        if (!segment) return E_INVALIDARG;
        *segment = nullptr;
        std::string name = utf16_to_utf8(file_name);
        if (name.empty()) return DMUS_E_LOADER_FAILEDOPEN;
        std::string path = (name[0] == '/' || directory_.empty()) ? name : directory_ + "/" + name;
        Mix_Chunk* chunk = load_wave_file(path);
        if (!chunk) return DMUS_E_LOADER_FAILEDOPEN;
        *segment = new SdlSegment(chunk);
        return S_OK;
    }

    UINT Release() override {
        delete this;
        return 0;
    }

private:
    std::string directory_;
};

}  // namespace

HRESULT CoInitialize(void*) { return S_OK; }

HRESULT create_music_performance(IDirectMusicPerformance8** performance) {
    if (!performance) return E_INVALIDARG;
    *performance = new SdlPerformance;
    return S_OK;
}

HRESULT create_music_loader(IDirectMusicLoader8** loader) {
    if (!loader) return E_INVALIDARG;
    *loader = new SdlLoader;
    return S_OK;
}
