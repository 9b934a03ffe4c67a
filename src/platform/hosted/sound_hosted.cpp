// The DirectMusic objects on every platform but Windows, over the
// backend's effect player: the performance is the player with 64 voices, so
// effects overlap each other and themselves; a segment is one loaded wave;
// an audio path is a handle with nothing behind it, since the player has one
// output.
//
// Without any audio device the player cannot be opened; that result is
// ignored as the game ignores it, the waves then fail to load and every
// effect is silent while the game plays on. "No default audio path" is the
// backend saying its player cannot be trusted to mix at all.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/direct_music.h"
#include "platform/hosted/com_object.h"
#include "platform/hosted/host_sound.h"
#include "platform/hosted/text_units.h"
#include "platform/regular_file.h"
#include "platform/faults.h"

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

// Decodes a wave file. Only a regular file within the cap is read, whole,
// before the player sees it: a FIFO would block and a link to a device such
// as /dev/zero would be read without end.
HostWave* load_wave_file(const std::string& path, const std::string& name) {
    std::uint64_t size = 0;
    std::FILE* file = open_regular_file(path.c_str(), kMaxWaveFileBytes, nullptr, &size);
    if (!file) return nullptr;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got == 0) return nullptr;
    return host_sound_load_wave(bytes.data(), got, name.c_str());
}

class HostedAudioPath final : public ComObject<IDirectMusicAudioPath> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicAudioPath});
    }
};

class HostedSegmentState final : public ComObject<IDirectMusicSegmentState8> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicSegmentState, &IID_IDirectMusicSegmentState8});
    }
};

class HostedPerformance;

class HostedSegment final : public ComObject<IDirectMusicSegment8> {
public:
    explicit HostedSegment(HostWave* wave) : wave_(wave) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicSegment, &IID_IDirectMusicSegment8});
    }
    HRESULT Download(IUnknown* target) override { return target ? S_OK : E_INVALIDARG; }
    HRESULT Unload(IUnknown* target) override { return target ? S_OK : E_INVALIDARG; }
    ~HostedSegment() override {
        if (wave_) host_sound_free_wave(wave_);  // stops it wherever it still plays
    }
    HostWave* wave() const { return wave_; }

private:
    HostWave* wave_;
};

class HostedPerformance final : public ComObject<IDirectMusicPerformance8> {
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
        tried_ = true;
        if (!host_sound_open(static_cast<int>(performance_channels))) return DMUS_E_NOT_INIT;
        open_ = true;
        return S_OK;
    }

    HRESULT GetDefaultAudioPath(IDirectMusicAudioPath** path) override {
        if (!path) return E_POINTER;
        *path = nullptr;
        if (fault_injected(Fault::AudioPath) || !host_sound_usable()) return E_FAIL;
        *path = new HostedAudioPath;
        return S_OK;
    }

    HRESULT CreateStandardAudioPath(DWORD, DWORD, BOOL, IDirectMusicAudioPath** path) override {
        if (!path) return E_POINTER;
        *path = new HostedAudioPath;
        return S_OK;
    }

    HRESULT PlaySegmentEx(IUnknown* source, WCHAR*, IUnknown*, DWORD, std::int64_t,
                          IDirectMusicSegmentState** state, IUnknown*, IUnknown*) override {
        if (state) *state = nullptr;
        auto* segment = dynamic_cast<HostedSegment*>(source);
        if (!open_ || !segment || !segment->wave()) return DMUS_E_NOT_INIT;
        if (!host_sound_play(segment->wave())) return E_FAIL;  // every voice busy: this playing is silent
        if (state) *state = new HostedSegmentState;
        return S_OK;
    }

    HRESULT Stop(IDirectMusicSegment*, IDirectMusicSegmentState*, MUSIC_TIME, DWORD) override {
        if (open_) host_sound_stop_all();
        return S_OK;
    }

    HRESULT CloseDown() override {
        if (tried_) host_sound_close();
        tried_ = false;
        open_ = false;
        return S_OK;
    }

    ~HostedPerformance() override { CloseDown(); }

private:
    bool tried_ = false;  // InitAudio asked the backend to open, whatever came of it
    bool open_ = false;
};

class HostedLoader final : public ComObject<IDirectMusicLoader8> {
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
        HostWave* wave = load_wave_file(path, name);
        if (!wave) return DMUS_E_LOADER_FAILEDOPEN;
        auto* segment = new HostedSegment(wave);
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
        made = new HostedPerformance;
    else if (class_id == CLSID_DirectMusicLoader)
        made = new HostedLoader;
    else
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = made->QueryInterface(iid, out);
    made->Release();
    return hr;
}
