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
#include "platform/sdl/com_object.h"
#include "platform/test_hooks.h"

const CLSID CLSID_DirectMusicPerformance = {0xD2AC2881, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
const CLSID CLSID_DirectMusicLoader = {0xD2AC2892, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
const CLSID CLSID_DirectMusicSegment = {0xD2AC2882, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
const GUID GUID_DirectMusicAllTypes = {0xD2AC2893, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
const IID IID_IDirectMusicPerformance8 = {0x679C4137, 0xC62E, 0x4147, {0xB2, 0xB4, 0x9D, 0x56, 0x9A, 0xCB, 0x25, 0x4C}};
const IID IID_IDirectMusicLoader8 = {0x19E7C08C, 0x0A44, 0x4E6A, {0xA1, 0x16, 0x59, 0x5A, 0x7C, 0xD5, 0xDE, 0x8C}};
const IID IID_IDirectMusicSegment8 = {0xC6784488, 0x41A3, 0x418F, {0xAA, 0x15, 0xB3, 0x50, 0x93, 0xBA, 0x42, 0xD4}};
const IID IID_IDirectMusicSegmentState8 = {0xA50E4730, 0x0AE4, 0x48A7, {0x98, 0x39, 0xBC, 0x04, 0xBF, 0xE0, 0x77, 0x72}};

namespace {

const IID IID_IDirectMusicPerformance = {0x07D43D03, 0x6523, 0x11D2, {0x87, 0x1D, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
const IID IID_IDirectMusicLoader = {0x2FFAACA2, 0x5DCA, 0x11D2, {0xAF, 0xA6, 0x00, 0xAA, 0x00, 0x24, 0xD8, 0xB6}};
const IID IID_IDirectMusicSegment = {0xF96029A2, 0x4282, 0x11D2, {0x87, 0x17, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
const IID IID_IDirectMusicSegmentState = {0xA3AFDCC7, 0xD3EE, 0x11D1, {0xBC, 0x8D, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEB}};
const IID IID_IDirectMusicAudioPath = {0xC87631F5, 0x23BE, 0x4986, {0x88, 0x36, 0x05, 0x83, 0x2F, 0xCC, 0x48, 0xF9}};


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

std::string utf16_to_utf8(const WCHAR* text) {
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

class SdlAudioPath final : public ComObject<IDirectMusicAudioPath> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicAudioPath});
    }
};

class SdlSegmentState final : public ComObject<IDirectMusicSegmentState8> {
public:
    explicit SdlSegmentState(int channel) : channel_(channel) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicSegmentState, &IID_IDirectMusicSegmentState8});
    }
    int channel() const { return channel_; }

private:
    int channel_;
};

class SdlPerformance;

class SdlSegment final : public ComObject<IDirectMusicSegment8> {
public:
    explicit SdlSegment(Mix_Chunk* chunk) : chunk_(chunk) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicSegment, &IID_IDirectMusicSegment8});
    }
    HRESULT Download(IUnknown* target) override { return target ? S_OK : E_INVALIDARG; }
    HRESULT Unload(IUnknown* target) override { return target ? S_OK : E_INVALIDARG; }
    ~SdlSegment() override {
        // A chunk may still be playing: halt its channels before freeing it.
        if (chunk_ && Mix_QuerySpec(nullptr, nullptr, nullptr)) {
            int channels = Mix_AllocateChannels(-1);
            for (int c = 0; c < channels; ++c)
                if (Mix_GetChunk(c) == chunk_ && Mix_Playing(c)) Mix_HaltChannel(c);
        }
        if (chunk_) Mix_FreeChunk(chunk_);
    }
    Mix_Chunk* chunk() const { return chunk_; }

private:
    Mix_Chunk* chunk_;
};

class SdlPerformance final : public ComObject<IDirectMusicPerformance8> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicPerformance, &IID_IDirectMusicPerformance8});
    }

    HRESULT InitAudio(IDirectMusic** direct_music, IDirectSound** direct_sound, HWND, DWORD,
                      DWORD performance_channels, DWORD, DMUS_AUDIOPARAMS*) override {
        // There is no DirectMusic or DirectSound object behind the mixer.
        if (direct_music) *direct_music = nullptr;
        if (direct_sound) *direct_sound = nullptr;
        if (open_) return S_OK;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return DMUS_E_NOT_INIT;
        audio_initialised_ = true;
        if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) return DMUS_E_NOT_INIT;
        open_ = true;
        Mix_AllocateChannels(static_cast<int>(performance_channels));
        return S_OK;
    }

    HRESULT GetDefaultAudioPath(IDirectMusicAudioPath** path) override {
        if (!path) return E_POINTER;
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

    HRESULT CreateStandardAudioPath(DWORD, DWORD, BOOL, IDirectMusicAudioPath** path) override {
        if (!path) return E_POINTER;
        *path = new SdlAudioPath;
        return S_OK;
    }

    HRESULT PlaySegmentEx(IUnknown* source, WCHAR*, IUnknown*, DWORD, std::int64_t,
                          IDirectMusicSegmentState** state, IUnknown*, IUnknown*) override {
        if (state) *state = nullptr;
        auto* segment = dynamic_cast<SdlSegment*>(source);
        if (!open_ || !segment || !segment->chunk()) return DMUS_E_NOT_INIT;
        int channel = Mix_PlayChannel(-1, segment->chunk(), 0);
        if (channel < 0) return E_FAIL;  // every channel busy: this playing is silent
        if (state) *state = new SdlSegmentState(channel);
        return S_OK;
    }

    HRESULT Stop(IDirectMusicSegment*, IDirectMusicSegmentState*, MUSIC_TIME, DWORD) override {
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

    ~SdlPerformance() override { CloseDown(); }

private:
    bool audio_initialised_ = false;
    bool open_ = false;
};

class SdlLoader final : public ComObject<IDirectMusicLoader8> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicLoader, &IID_IDirectMusicLoader8});
    }

    HRESULT SetSearchDirectory(REFGUID, WCHAR* directory, BOOL) override {
        if (!directory) return E_INVALIDARG;
        directory_ = utf16_to_utf8(directory);
        return S_OK;
    }

    HRESULT LoadObjectFromFile(REFGUID class_id, REFIID iid, WCHAR* file_name, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!(class_id == CLSID_DirectMusicSegment)) return REGDB_E_CLASSNOTREG;
        std::string name = utf16_to_utf8(file_name);
        if (name.empty()) return DMUS_E_LOADER_FAILEDOPEN;
        std::string path = (name[0] == '/' || directory_.empty()) ? name : directory_ + "/" + name;
        Mix_Chunk* chunk = load_wave_file(path);
        if (!chunk) return DMUS_E_LOADER_FAILEDOPEN;
        auto* segment = new SdlSegment(chunk);
        HRESULT hr = segment->QueryInterface(iid, object);
        segment->Release();
        return hr;
    }

private:
    std::string directory_;
};

}  // namespace

HRESULT CoInitialize(LPVOID) { return S_OK; }

HRESULT CoCreateInstance(REFCLSID class_id, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer || !(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    IUnknown* made = nullptr;
    if (class_id == CLSID_DirectMusicPerformance)
        made = new SdlPerformance;
    else if (class_id == CLSID_DirectMusicLoader)
        made = new SdlLoader;
    else
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = made->QueryInterface(iid, out);
    made->Release();
    return hr;
}
