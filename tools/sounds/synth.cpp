#include "synth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace sounds {

namespace {

constexpr double kPi = 3.14159265358979323846;

double note(int semitones_from_a4) { return 440.0 * std::pow(2.0, semitones_from_a4 / 12.0); }
// Semitones from A4 of a few notes used below.
constexpr int G4 = -2, C5 = 3, E5 = 7, G5 = 10, C6 = 15, E6 = 19, G6 = 22, B6 = 26;

struct Noise {
    std::uint32_t state = 0x1234567u;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 23) - 1.0;
    }
};

std::vector<double> silence(double seconds) { return std::vector<double>(size_t(seconds * kSampleRate), 0.0); }

// A note with a few harmonics and an attack / exponential-decay envelope,
// added into `out` from `start` seconds on.
void add_tone(std::vector<double>& out, double start, double length, double freq, double amp,
              const std::vector<double>& harmonics, double attack, double decay, double vibrato = 0) {
    size_t s0 = size_t(start * kSampleRate);
    size_t n = size_t(length * kSampleRate);
    double phase = 0;
    for (size_t i = 0; i < n && s0 + i < out.size(); ++i) {
        double t = double(i) / kSampleRate;
        double env = (t < attack ? 0.5 - 0.5 * std::cos(kPi * t / attack) : 1.0) * std::exp(-(t) / decay);
        double release = length - t < 0.02 ? 0.5 - 0.5 * std::cos(kPi * (length - t) / 0.02) : 1.0;
        double f = freq * (1.0 + vibrato * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.25));
        phase += 2 * kPi * f / kSampleRate;
        double v = 0;
        for (size_t h = 0; h < harmonics.size(); ++h) v += harmonics[h] * std::sin(phase * double(h + 1));
        out[s0 + i] += amp * env * release * v;
    }
}

// Fades the first and last few milliseconds so nothing clicks.
void fade_ends(std::vector<double>& v, double in_s, double out_s) {
    size_t a = size_t(in_s * kSampleRate), b = size_t(out_s * kSampleRate);
    for (size_t i = 0; i < a && i < v.size(); ++i) v[i] *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(a));
    for (size_t i = 0; i < b && i < v.size(); ++i) v[v.size() - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(b));
}

std::vector<double> game_start() {
    auto out = silence(0.62);
    const std::vector<double> bell{1.0, 0.45, 0.22, 0.08};
    const int notes[] = {C5, E5, G5, C6};
    for (int k = 0; k < 4; ++k) {
        double start = 0.09 * k;
        double len = 0.62 - start;
        add_tone(out, start, len, note(notes[k]), 0.5, bell, 0.006, k == 3 ? 0.22 : 0.12);
        add_tone(out, start, len, note(notes[k]) * 1.003, 0.2, bell, 0.006, k == 3 ? 0.22 : 0.12);
    }
    fade_ends(out, 0.002, 0.03);
    return out;
}

std::vector<double> pick_up() {
    auto out = silence(0.10);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kSampleRate;
        double f = 420 + 680 * (1 - std::exp(-t / 0.018));  // a quick upward bend
        phase += 2 * kPi * f / kSampleRate;
        double env = std::min(1.0, t / 0.003) * std::exp(-t / 0.028);
        out[i] = env * (std::sin(phase) + 0.25 * std::sin(2 * phase) + 0.08 * std::sin(3 * phase));
    }
    fade_ends(out, 0.001, 0.015);
    return out;
}

std::vector<double> drop_loose() {
    auto out = silence(0.15);
    Noise noise;
    double phase = 0, lp = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kSampleRate;
        double f = 65 + 125 * std::exp(-t / 0.03);  // the pitch falls like a body settling
        phase += 2 * kPi * f / kSampleRate;
        double env = std::min(1.0, t / 0.004) * std::exp(-t / 0.045);
        lp += 0.08 * (noise.next() - lp);  // soft, low noise for the contact
        out[i] = env * (std::sin(phase) + 0.3 * std::sin(2 * phase)) + 1.2 * lp * std::exp(-t / 0.012);
    }
    fade_ends(out, 0.002, 0.03);
    return out;
}

std::vector<double> drop_placed() {
    auto out = silence(0.30);
    Noise noise;
    double prev = 0;
    for (size_t i = 0; i < size_t(0.006 * kSampleRate); ++i) {  // the click of the piece going home
        double t = double(i) / kSampleRate;
        double v = noise.next();
        out[i] += 0.5 * (v - prev) * std::exp(-t / 0.0015);
        prev = v;
    }
    const std::vector<double> chime{1.0, 0.0, 0.3, 0.0, 0.12};
    add_tone(out, 0.004, 0.296, note(E6), 0.45, chime, 0.002, 0.09);
    add_tone(out, 0.045, 0.255, note(B6), 0.35, chime, 0.002, 0.08);
    fade_ends(out, 0.001, 0.03);
    return out;
}

std::vector<double> puzzle_complete() {
    auto out = silence(1.7);
    std::vector<double> brass;
    for (int h = 1; h <= 8; ++h) brass.push_back(1.0 / h);
    // Three pick-up notes, then a held major chord.
    const int lead[] = {G4, C5, E5};
    for (int k = 0; k < 3; ++k) add_tone(out, 0.13 * k, 0.16, note(lead[k]), 0.35, brass, 0.012, 0.25);
    add_tone(out, 0.39, 0.2, note(G5), 0.35, brass, 0.012, 0.3);
    const int chord[] = {C5, E5, G5, C6};
    for (int k = 0; k < 4; ++k) {
        add_tone(out, 0.6, 1.1, note(chord[k]), 0.22, brass, 0.03, 0.7, 0.004);
        add_tone(out, 0.6, 1.1, note(chord[k]) * 1.004, 0.08, brass, 0.03, 0.7, 0.004);
    }
    const std::vector<double> bell{1.0, 0.3, 0.1};
    add_tone(out, 0.6, 1.1, note(G6), 0.12, bell, 0.004, 0.4);
    fade_ends(out, 0.003, 0.1);
    return out;
}

}  // namespace

std::vector<double> synthesise(int effect) {
    switch (effect) {
        case 0: return game_start();
        case 1: return pick_up();
        case 2: return drop_loose();
        case 3: return drop_placed();
        case 4: return puzzle_complete();
        default: throw std::invalid_argument("no sound effect " + std::to_string(effect));
    }
}

std::vector<std::vector<std::int16_t>> level(const std::vector<std::vector<double>>& effects) {
    std::vector<std::vector<std::int16_t>> out;
    for (const auto& e : effects) {
        double sum = 0, peak = 0;
        for (double v : e) {
            sum += v * v;
            peak = std::max(peak, std::fabs(v));
        }
        double rms = std::sqrt(sum / double(std::max<size_t>(1, e.size())));
        double gain = rms > 0 ? std::min(kTargetRms / rms, kPeakLimit / peak) : 0.0;
        std::vector<std::int16_t> s;
        for (double v : e) s.push_back(std::int16_t(std::lround(std::clamp(v * gain, -1.0, 1.0) * 32767.0)));
        out.push_back(std::move(s));
    }
    return out;
}

void write_wav(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::string h;
    auto put16 = [&](unsigned v) { h += char(v & 0xFF); h += char((v >> 8) & 0xFF); };
    auto put32 = [&](unsigned v) { put16(v & 0xFFFF); put16(v >> 16); };
    const unsigned data = unsigned(samples.size() * 2);
    h += "RIFF"; put32(36 + data); h += "WAVE";
    h += "fmt "; put32(16); put16(1); put16(1); put32(kSampleRate); put32(kSampleRate * 2); put16(2); put16(16);
    h += "data"; put32(data);
    for (std::int16_t s : samples) put16(unsigned(std::uint16_t(s)));
    std::ofstream out(path, std::ios::binary);
    out.write(h.data(), std::streamsize(h.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace sounds
