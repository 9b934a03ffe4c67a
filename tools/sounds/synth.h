// The game's five sound effects, synthesised: a start jingle, a pick-up
// pop, a loose-drop thud, a snap-home chime and a completion fanfare.
// Everything is computed from fixed numbers, so every run gives the same
// samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sounds {

constexpr int kSampleRate = 44100;
constexpr int kEffectCount = 5;

// Samples in -1..1 before levelling.
std::vector<double> synthesise(int effect);

// Scales every effect to the same loudness (RMS), none peaking above
// kPeakLimit; returns the 16-bit samples.
std::vector<std::vector<std::int16_t>> level(const std::vector<std::vector<double>>& effects);

constexpr double kTargetRms = 0.125;   // about -18 dBFS
constexpr double kPeakLimit = 0.8913;  // -1 dBFS

void write_wav(const std::string& path, const std::vector<std::int16_t>& samples);

}  // namespace sounds
