// sound_tool: writes game/wave00.wav .. wave04.wav.
//   sound_tool --out-dir DIR

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "synth.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "--out-dir") {
        std::fprintf(stderr, "usage: sound_tool --out-dir DIR\n");
        return 2;
    }
    try {
        std::vector<std::vector<double>> raw;
        for (int e = 0; e < sounds::kEffectCount; ++e) raw.push_back(sounds::synthesise(e));
        auto pcm = sounds::level(raw);
        for (int e = 0; e < sounds::kEffectCount; ++e) {
            char name[32];
            std::snprintf(name, sizeof name, "/wave%02d.wav", e);
            sounds::write_wav(argv[2] + std::string(name), pcm[size_t(e)]);
            double sum = 0, peak = 0;
            for (auto s : pcm[size_t(e)]) {
                sum += double(s) * s;
                peak = std::fmax(peak, std::fabs(double(s)));
            }
            double rms = std::sqrt(sum / double(pcm[size_t(e)].size())) / 32768.0;
            std::printf("wave%02d: %.3f s, RMS %.1f dBFS, peak %.1f dBFS\n", e,
                        double(pcm[size_t(e)].size()) / sounds::kSampleRate, 20 * std::log10(rms),
                        20 * std::log10(peak / 32768.0));
        }
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "sound_tool: error: %s\n", ex.what());
        return 1;
    }
    return 0;
}
