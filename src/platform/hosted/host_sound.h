// What a backend gives the hosted sound layer: an output that mixes loaded
// waves, each played once, overlapping each other and themselves. Opening
// may fail (no audio device): the game then plays on silently.
#pragma once

#include <cstddef>

// Opens the output with `channels` voices; false: silent.
bool host_sound_open(int channels);
// Ends whatever open did, even when it failed halfway.
void host_sound_close();
// False when the backend's mixer cannot be trusted to mix at all (the
// game's "no default audio path").
bool host_sound_usable();

struct HostWave;
// Decodes a whole wave file held in memory (named as the game named it, for
// diagnostics); null when it is not one. The bytes may go once this returns.
// A backend that decodes in the background may accept bytes that turn out
// not to be a wave: that wave then plays silently.
HostWave* host_sound_load_wave(const void* bytes, std::size_t size, const char* name);
// Stops the wave wherever it plays and frees it.
void host_sound_free_wave(HostWave* wave);
// Starts the wave once; false when the output is closed or every voice is busy.
bool host_sound_play(HostWave* wave);
void host_sound_stop_all();
