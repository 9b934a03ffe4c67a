// The committed wave files and window icon: valid formats, the lengths
// the effects are meant to have, levels that neither clip nor stand out,
// and an icon file that matches the pixel table the window code uses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "asset_files.h"

namespace {

#include "platform/hosted/window_icon_pixels.inc"

unsigned u16(const std::string& s, size_t at) { return std::uint8_t(s[at]) | (std::uint8_t(s[at + 1]) << 8); }
unsigned u32(const std::string& s, size_t at) { return u16(s, at) | (u16(s, at + 2) << 16); }

struct Wave {
    bool ok = false;
    std::string error;
    unsigned channels = 0, rate = 0, bits = 0;
    std::vector<double> samples;  // channel 0, -1..1
};

Wave read_wave(const std::string& path) {
    Wave w;
    std::string f = asset_test::read_file(path);
    if (f.size() < 12 || f.compare(0, 4, "RIFF") != 0 || f.compare(8, 4, "WAVE") != 0) {
        w.error = "not RIFF/WAVE";
        return w;
    }
    if (u32(f, 4) + 8 != f.size()) {
        w.error = "RIFF size does not match the file";
        return w;
    }
    size_t at = 12;
    bool fmt = false;
    while (at + 8 <= f.size()) {
        std::string id = f.substr(at, 4);
        size_t len = u32(f, at + 4);
        if (at + 8 + len > f.size()) {
            w.error = "chunk " + id + " runs past the end";
            return w;
        }
        if (id == "fmt ") {
            if (len < 16 || u16(f, at + 8) != 1) {
                w.error = "not PCM";
                return w;
            }
            w.channels = u16(f, at + 10);
            w.rate = u32(f, at + 12);
            w.bits = u16(f, at + 22);
            fmt = true;
        } else if (id == "data") {
            if (!fmt || w.bits != 16 || w.channels == 0) {
                w.error = "data before a 16-bit format";
                return w;
            }
            for (size_t i = 0; i + 2 * w.channels <= len; i += 2 * w.channels)
                w.samples.push_back(std::int16_t(u16(f, at + 8 + i)) / 32768.0);
            w.ok = true;
            return w;
        }
        at += 8 + len + (len & 1);
    }
    w.error = "no data chunk";
    return w;
}

struct Expected { double min_s, max_s; };
const Expected kLengths[5] = {
    {0.4, 0.9},    // a new game: a short rising jingle
    {0.05, 0.2},   // pick-up pop
    {0.08, 0.25},  // loose drop thud
    {0.15, 0.45},  // snap home chime
    {1.0, 2.0},    // fanfare
};

TEST(WaveFiles, AreSixteenBitPcmOfTheIntendedLengths) {
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("wave0" + std::to_string(i));
        Wave w = read_wave(asset_test::source_path("game/wave0" + std::to_string(i) + ".wav"));
        ASSERT_TRUE(w.ok) << w.error;
        EXPECT_EQ(w.rate, 44100u);
        EXPECT_EQ(w.bits, 16u);
        EXPECT_TRUE(w.channels == 1 || w.channels == 2);
        double seconds = double(w.samples.size()) / w.rate;
        EXPECT_GE(seconds, kLengths[i].min_s);
        EXPECT_LE(seconds, kLengths[i].max_s);
    }
}

TEST(WaveFiles, NeitherClipNorClickAndSitAtSimilarLoudness) {
    std::vector<double> rms_db;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("wave0" + std::to_string(i));
        Wave w = read_wave(asset_test::source_path("game/wave0" + std::to_string(i) + ".wav"));
        ASSERT_TRUE(w.ok) << w.error;
        double peak = 0, sum = 0;
        for (double s : w.samples) {
            peak = std::max(peak, std::fabs(s));
            sum += s * s;
        }
        EXPECT_LE(20 * std::log10(peak), -1.0) << "peak above -1 dBFS";
        rms_db.push_back(10 * std::log10(sum / double(w.samples.size())));
        // Starts and ends at rest: no click.
        EXPECT_LT(std::fabs(w.samples.front()), 0.01);
        EXPECT_LT(std::fabs(w.samples.back()), 0.01);
    }
    auto [lo, hi] = std::minmax_element(rms_db.begin(), rms_db.end());
    EXPECT_LE(*hi - *lo, 6.0) << "loudest and quietest effect differ by more than 6 dB";
    EXPECT_GT(*lo, -30.0) << "an effect is almost silent";
}

TEST(WindowIcon, IconFileHoldsBothSizesMatchingThePixelTable) {
    std::string f = asset_test::read_file(asset_test::source_path("game/icon.ico"));
    ASSERT_GE(f.size(), 6u + 32u);
    ASSERT_EQ(u16(f, 0), 0u);
    ASSERT_EQ(u16(f, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(u16(f, 4), 2u);
    const unsigned* tables[2] = {kWindowIcon32, kWindowIcon16};
    for (int e = 0; e < 2; ++e) {
        size_t entry = 6 + 16 * size_t(e);
        int size = std::uint8_t(f[entry]);
        ASSERT_EQ(size, e == 0 ? 32 : 16);
        ASSERT_EQ(std::uint8_t(f[entry + 1]), size);
        size_t bytes = u32(f, entry + 8), offset = u32(f, entry + 12);
        ASSERT_LE(offset + bytes, f.size());
        ASSERT_EQ(u32(f, offset), 40u) << "BITMAPINFOHEADER";
        ASSERT_EQ(u32(f, offset + 4), unsigned(size));
        ASSERT_EQ(u32(f, offset + 8), unsigned(2 * size));
        ASSERT_EQ(u16(f, offset + 14), 32u);
        int differing = 0, opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                size_t p = offset + 40 + (size_t(size - 1 - y) * size + size_t(x)) * 4;  // bottom-up BGRA
                unsigned argb = (unsigned(std::uint8_t(f[p + 3])) << 24) | (unsigned(std::uint8_t(f[p + 2])) << 16) |
                                (unsigned(std::uint8_t(f[p + 1])) << 8) | std::uint8_t(f[p]);
                differing += argb != tables[e][y * size + x];
                opaque += (argb >> 24) == 255;
            }
        EXPECT_EQ(differing, 0) << size << " x " << size;
        EXPECT_GT(opaque, size * size / 2) << "the icon is mostly solid";
    }
}

}  // namespace
