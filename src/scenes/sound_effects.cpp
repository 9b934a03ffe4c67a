#include "scenes/sound_effects.h"

namespace {
SoundEffectPlayer the_player = nullptr;
}  // namespace

void play_sound_effect(std::int32_t effect) {
    if (the_player) the_player(effect);
}

void set_sound_effect_player(SoundEffectPlayer player) { the_player = player; }
