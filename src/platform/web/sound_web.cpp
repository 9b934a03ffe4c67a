// The sound system in the browser, over WebAudio: the performance is the
// page's audio context, a segment one wave decoded by the browser, and every
// playing a buffer source of its own, so effects overlap each other and
// themselves. Browsers keep sound off until the player's first press; the
// page resumes the context then. A wave the browser cannot decode leaves
// only that effect silent.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/direct_music.h"
#include "platform/regular_file.h"
#include "platform/test_hooks.h"
#include "platform/hosted/com_object.h"
#include "platform/web/web_page.h"

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

// The game's effects last a second or two; anything larger is not one of
// its waves.
constexpr std::uint64_t kMaxWaveFileBytes = std::uint64_t{32} << 20;

int next_effect_slot = 0;

std::string utf16_to_utf8(const WCHAR* text) {
    std::string out;
    for (std::size_t i = 0; text && text[i]; ++i) {
        char32_t p = text[i];
        if (p >= 0xD800 && p < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            p = 0x10000 + ((p - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (p < 0x80) {
            out += static_cast<char>(p);
        } else if (p < 0x800) {
            out += static_cast<char>(0xC0 | (p >> 6));
            out += static_cast<char>(0x80 | (p & 0x3F));
        } else if (p < 0x10000) {
            out += static_cast<char>(0xE0 | (p >> 12));
            out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (p & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (p >> 18));
            out += static_cast<char>(0x80 | ((p >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (p & 0x3F));
        }
    }
    return out;
}

class WebAudioPath final : public ComObject<IDirectMusicAudioPath> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicAudioPath});
    }
};

class WebSegmentState final : public ComObject<IDirectMusicSegmentState8> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicSegmentState, &IID_IDirectMusicSegmentState8});
    }
};

class WebSegment final : public ComObject<IDirectMusicSegment8> {
public:
    explicit WebSegment(int slot) : slot_(slot) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicSegment, &IID_IDirectMusicSegment8});
    }
    HRESULT Download(IUnknown* target) override { return target ? S_OK : E_INVALIDARG; }
    HRESULT Unload(IUnknown* target) override { return target ? S_OK : E_INVALIDARG; }
    int slot() const { return slot_; }

private:
    int slot_;
};

class WebPerformance final : public ComObject<IDirectMusicPerformance8> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectMusicPerformance, &IID_IDirectMusicPerformance8});
    }
    HRESULT InitAudio(IDirectMusic** direct_music, IDirectSound** direct_sound, HWND, DWORD, DWORD, DWORD,
                      DMUS_AUDIOPARAMS*) override {
        if (direct_music) *direct_music = nullptr;
        if (direct_sound) *direct_sound = nullptr;
        open_ = true;
        return S_OK;
    }
    HRESULT GetDefaultAudioPath(IDirectMusicAudioPath** path) override {
        if (!path) return E_POINTER;
        *path = nullptr;
        if (fault_injected(Fault::AudioPath)) return E_FAIL;
        *path = new WebAudioPath;
        return S_OK;
    }
    HRESULT CreateStandardAudioPath(DWORD, DWORD, BOOL, IDirectMusicAudioPath** path) override {
        if (!path) return E_POINTER;
        *path = new WebAudioPath;
        return S_OK;
    }
    HRESULT PlaySegmentEx(IUnknown* source, WCHAR*, IUnknown*, DWORD, std::int64_t, IDirectMusicSegmentState** state,
                          IUnknown*, IUnknown*) override {
        if (state) *state = nullptr;
        auto* segment = dynamic_cast<WebSegment*>(source);
        if (!open_ || !segment) return DMUS_E_NOT_INIT;
        pokomaru_sound_play(segment->slot());
        if (state) *state = new WebSegmentState;
        return S_OK;
    }
    HRESULT Stop(IDirectMusicSegment*, IDirectMusicSegmentState*, MUSIC_TIME, DWORD) override { return S_OK; }
    HRESULT CloseDown() override {
        open_ = false;
        return S_OK;
    }

private:
    bool open_ = false;
};

class WebLoader final : public ComObject<IDirectMusicLoader8> {
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
        const std::string name = utf16_to_utf8(file_name);
        if (name.empty()) return DMUS_E_LOADER_FAILEDOPEN;
        const std::string path = (name[0] == '/' || directory_.empty()) ? name : directory_ + "/" + name;
        std::uint64_t size = 0;
        std::FILE* file = open_regular_file(path.c_str(), kMaxWaveFileBytes, nullptr, &size);
        if (!file) return DMUS_E_LOADER_FAILEDOPEN;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        if (got == 0) return DMUS_E_LOADER_FAILEDOPEN;
        const int slot = next_effect_slot++;
        pokomaru_sound_load(slot, name.c_str(), bytes.data(), got);
        auto* segment = new WebSegment(slot);
        const HRESULT hr = segment->QueryInterface(iid, object);
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
        made = new WebPerformance;
    else if (class_id == CLSID_DirectMusicLoader)
        made = new WebLoader;
    else
        return REGDB_E_CLASSNOTREG;
    const HRESULT hr = made->QueryInterface(iid, out);
    made->Release();
    return hr;
}
