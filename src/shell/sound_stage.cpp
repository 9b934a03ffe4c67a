// Start-up, playing and release of the five sound effects.
#include "platform/direct_music.h"
#include "platform/release.h"
#include "shell/sound_stage.h"
#include "shell/main_window.h"

IDirectMusicPerformance8* performance = nullptr;
IDirectMusicAudioPath8* default_audio_path = nullptr;
IDirectMusicAudioPath8* effect_audio_path = nullptr;
IDirectMusicLoader8* loader = nullptr;
IDirectMusicSegment8* effect_segments[kSoundEffectCount] = {};
IDirectMusicSegmentState8* effect_states[kSoundEffectCount] = {};

namespace {

constexpr DWORD kPerformanceChannels = 64;
constexpr DWORD kMaxPath = 260;
const char* const kEffectFiles[kSoundEffectCount] = {"game/wave00.wav", "game/wave01.wav", "game/wave02.wav",
                                                     "game/wave03.wav", "game/wave04.wav"};

// The loader takes its names in UTF-16, converted from the ANSI code page
// the current directory comes in.
void widen(const char* text, WCHAR (&wide)[kMaxPath]) {
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(kMaxPath)) == 0) wide[0] = 0;
}

// Plays one effect's segment as a secondary segment on the effects' path.
void play_effect_segment(std::int32_t effect) {
    if (effect < 0 || effect >= kSoundEffectCount) return;
    if (!performance || !effect_segments[effect]) return;
    IDirectMusicSegmentState* state = nullptr;
    if (FAILED(performance->PlaySegmentEx(effect_segments[effect], nullptr, nullptr, DMUS_SEGF_SECONDARY, 0, &state,
                                          nullptr, effect_audio_path)))
        return;
    // The slot keeps the latest playing of each effect; the one it held
    // before is let go here, so repeated effects hold nothing.
    release(effect_states[effect]);
    if (state) {
        state->QueryInterface(IID_IDirectMusicSegmentState8, reinterpret_cast<void**>(&effect_states[effect]));
        state->Release();
    }
}

}  // namespace

HRESULT init_sound() {
    set_sound_effect_player(play_effect_segment);
    CoInitialize(nullptr);
    CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC, IID_IDirectMusicPerformance8,
                     reinterpret_cast<LPVOID*>(&performance));
    // With neither a performance nor a loader there is no sound system to
    // speak of; that is reported as a failed start, not met with a crash.
    if (!performance) return E_FAIL;
    performance->InitAudio(nullptr, nullptr, main_window, DMUS_APATH_SHARED_STEREOPLUSREVERB, kPerformanceChannels,
                           DMUS_AUDIOF_ALL, nullptr);
    // A system that could not open any sound device may still report the
    // default path as had while handing back none; without it nothing can
    // play, and the next call on the performance would not survive it.
    if (FAILED(performance->GetDefaultAudioPath(&default_audio_path)) || !default_audio_path) return E_FAIL;
    performance->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_STEREO, kPerformanceChannels, TRUE, &effect_audio_path);
    CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                     reinterpret_cast<LPVOID*>(&loader));
    if (!loader) return E_FAIL;

    char directory[kMaxPath];
    DWORD length = GetCurrentDirectoryA(kMaxPath, directory);
    if (length == 0 || length > kMaxPath) return E_FAIL;
    WCHAR wide_directory[kMaxPath];
    widen(directory, wide_directory);
    loader->SetSearchDirectory(GUID_DirectMusicAllTypes, wide_directory, FALSE);

    for (int effect = 0; effect < kSoundEffectCount; ++effect) {
        WCHAR name[kMaxPath];
        widen(kEffectFiles[effect], name);
        loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name,
                                   reinterpret_cast<void**>(&effect_segments[effect]));
        if (effect_segments[effect]) effect_segments[effect]->Download(performance);
    }
    return S_OK;
}

void release_sound() {
    if (performance) performance->Stop(nullptr, nullptr, 0, 0);
    for (int effect = 0; effect < kSoundEffectCount; ++effect) {
        if (effect_segments[effect] && performance) effect_segments[effect]->Unload(performance);
        release(effect_states[effect]);
        release(effect_segments[effect]);
    }
    release(loader);
    release(effect_audio_path);
    release(default_audio_path);
    if (performance) performance->CloseDown();
    release(performance);
    set_sound_effect_player(nullptr);
}
