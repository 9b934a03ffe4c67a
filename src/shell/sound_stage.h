// The five sound effects. Each plays once, in the background, and may
// overlap the others and itself; nothing stops an effect before shutdown.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

enum SoundEffect : std::int32_t {
    GameStart = 0,
    PickUp = 1,
    DropLoose = 2,
    DropPlaced = 3,
    PuzzleComplete = 4,
};
constexpr int kSoundEffectCount = 5;

// Sets up the performance and loads game/wave00.wav .. wave04.wav; 0 on
// success, negative when sound cannot be had at all. A missing wave file is
// not a failure: that effect stays silent.
HRESULT init_sound();

void play_sound_effect(std::int32_t effect);

void release_sound();
