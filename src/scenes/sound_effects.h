// The five sound effects the scenes play. A scene only names the effect;
// what plays it is the shell's sound stage (shell/sound_stage.h), which owns
// the sound objects and hands its player over here when it starts. Until
// then, and after the stage is released, an effect is silent.
#pragma once

#include <cstdint>

enum SoundEffect : std::int32_t {
    GameStart = 0,
    PickUp = 1,
    DropLoose = 2,
    DropPlaced = 3,
    PuzzleComplete = 4,
};
constexpr int kSoundEffectCount = 5;

// Plays one effect once, in the background; it may overlap the others and
// itself, and nothing stops it before shutdown.
void play_sound_effect(std::int32_t effect);

// What plays the effects; null: none.
using SoundEffectPlayer = void (*)(std::int32_t effect);
void set_sound_effect_player(SoundEffectPlayer player);
