// The sound stage: the performance, its audio paths, the loader and the
// five effects' segments (scenes/sound_effects.h names the effects). Once
// started it plays the effects the scenes ask for.
#pragma once

#include "platform/win_types.h"
#include "scenes/sound_effects.h"

// Sets up the performance and loads game/wave00.wav .. wave04.wav; 0 on
// success, negative when sound cannot be had at all. A missing wave file is
// not a failure: that effect stays silent.
HRESULT init_sound();

void release_sound();
