// Start-up, playing and release of the five sound effects.
#include <string>

#include "platform/direct_music.h"
#include "platform/release.h"
#include "platform/sound.h"
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

}  // namespace

HRESULT init_sound() {
    CoInitialize(nullptr);
    create_music_performance(&performance);
    // With neither a performance nor a loader there is no sound system to
    // speak of; that is reported as a failed start, not met with a crash.
    if (!performance) return E_FAIL;
    performance->InitAudio(main_window, DMUS_APATH_SHARED_STEREOPLUSREVERB, kPerformanceChannels, DMUS_AUDIOF_ALL);
    if (FAILED(performance->GetDefaultAudioPath(&default_audio_path))) return E_FAIL;
    performance->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_STEREO, kPerformanceChannels, 1, &effect_audio_path);
    create_music_loader(&loader);
    if (!loader) return E_FAIL;

    char directory[kMaxPath];
    DWORD length = GetCurrentDirectoryA(kMaxPath, directory);
    if (length == 0 || length > kMaxPath) return E_FAIL;
    std::u16string wide_directory = ansi_to_utf16(directory);
    loader->SetSearchDirectory(wide_directory.c_str(), 0);

    for (int effect = 0; effect < kSoundEffectCount; ++effect) {
        std::u16string name = ansi_to_utf16(kEffectFiles[effect]);
        loader->LoadObjectFromFile(name.c_str(), &effect_segments[effect]);
        if (effect_segments[effect]) effect_segments[effect]->Download(performance);
    }
    return S_OK;
}

void play_sound_effect(std::int32_t effect) {
    if (effect < 0 || effect >= kSoundEffectCount) return;
    if (!performance || !effect_segments[effect]) return;
    IDirectMusicSegmentState8* state = nullptr;
    if (FAILED(performance->PlaySegmentEx(effect_segments[effect], DMUS_SEGF_SECONDARY, 0, &state,
                                          effect_audio_path)))
        return;
    // The slot keeps the latest playing of each effect; the one it held
    // before is let go here, so repeated effects hold nothing.
    release(effect_states[effect]);
    effect_states[effect] = state;
}

void release_sound() {
    if (performance) performance->Stop();
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
}
