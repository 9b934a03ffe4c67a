// The sound effects on the mixer: loading, playing, overlapping, silence
// where a file or the audio device is missing, and the start-up failure.
#include <SDL.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <future>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/direct_music.h"
#include "shell/sound_stage.h"
#include "platform/test_hooks.h"

extern IDirectMusicSegment8* effect_segments[kSoundEffectCount];
extern IDirectMusicSegmentState8* effect_states[kSoundEffectCount];
extern IDirectMusicPerformance8* performance;

namespace fs = std::filesystem;

namespace {

void write_tone(const fs::path& path, double seconds, double frequency) {
    const int rate = 22050;
    const int count = static_cast<int>(rate * seconds);
    std::vector<std::int16_t> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * frequency * i / rate));
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + count * 2);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(count * 2);
    out.write(reinterpret_cast<const char*>(samples.data()), count * 2);
}

// Runs in a folder of its own holding game/ with the given wave files.
class SoundEffects : public ::testing::Test {
protected:
    void SetUp() override {
        clear_faults();
        old_dir = fs::current_path();
        dir = fs::temp_directory_path() / ("pokomaru-sound-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "game");
        fs::current_path(dir);
    }
    void TearDown() override {
        release_sound();
        fs::current_path(old_dir);
        fs::remove_all(dir);
        unsetenv("SDL_AUDIODRIVER");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        clear_faults();
    }
    void write_all_but(int missing) {
        for (int i = 0; i < kSoundEffectCount; ++i)
            if (i != missing) write_tone(dir / "game" / ("wave0" + std::to_string(i) + ".wav"), 0.2, 300 + 100 * i);
    }
    fs::path old_dir, dir;
};

TEST_F(SoundEffects, AnEffectIsReallyMixed) {
    write_all_but(-1);
    fs::path raw = dir / "mixed.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    ASSERT_EQ(init_sound(), 0);
    for (int i = 0; i < kSoundEffectCount; ++i) EXPECT_NE(effect_segments[i], nullptr) << i;
    play_sound_effect(DropPlaced);
    play_sound_effect(DropPlaced);  // the same effect overlaps itself
    EXPECT_NE(effect_states[DropPlaced], nullptr);
    SDL_Delay(400);
    release_sound();
    std::ifstream again(raw, std::ios::binary | std::ios::ate);
    auto size = static_cast<std::size_t>(again.tellg());
    again.seekg(0);
    std::vector<std::int16_t> pcm(size / 2);
    again.read(reinterpret_cast<char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
    int loud = 0;
    for (std::int16_t s : pcm)
        if (std::abs(s) > 4000) ++loud;
    EXPECT_GT(loud, 1000) << "the mixed stream holds no tone (" << pcm.size() << " samples)";
}

TEST_F(SoundEffects, AMissingFileSilencesOnlyThatEffect) {
    write_all_but(DropLoose);
    ASSERT_EQ(init_sound(), 0);
    EXPECT_EQ(effect_segments[DropLoose], nullptr);
    EXPECT_NE(effect_segments[PickUp], nullptr);
    play_sound_effect(DropLoose);  // silent, and harmless
    EXPECT_EQ(effect_states[DropLoose], nullptr);
    play_sound_effect(PickUp);
    EXPECT_NE(effect_states[PickUp], nullptr);
    play_sound_effect(7);  // not an effect
    play_sound_effect(-1);
}

// What may lie at a wave's name instead of a wave: each silences only its
// own effect, and none of them holds start-up up.
TEST_F(SoundEffects, SpecialAndBrokenFilesSilenceOnlyTheirEffect) {
    write_all_but(-1);
    const fs::path game = dir / "game";
    fs::remove(game / "wave00.wav");
    ASSERT_EQ(mkfifo((game / "wave00.wav").c_str(), 0600), 0);  // would block the open
    fs::remove(game / "wave01.wav");
    fs::create_symlink("/dev/zero", game / "wave01.wav");  // would be read without end
    fs::remove(game / "wave02.wav");
    fs::create_directory(game / "wave02.wav");
    {
        std::ofstream garbage(game / "wave03.wav", std::ios::binary | std::ios::trunc);
        garbage << "RIFF\x10\0\0\0WAVEfmt garbage that is no wave";
    }
    // wave04.wav stays a good wave.
    // SDL keeps an error text per thread and frees it only for its own
    // threads: this one gives it back before it ends.
    auto started = std::async(std::launch::async, [] {
        const HRESULT result = init_sound();
        SDL_TLSCleanup();
        return result;
    });
    if (started.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        const int unblock = open((game / "wave00.wav").c_str(), O_WRONLY | O_NONBLOCK);
        started.wait();
        if (unblock >= 0) close(unblock);
        FAIL() << "init_sound did not return within 20 s";
    }
    ASSERT_EQ(started.get(), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(effect_segments[i], nullptr) << "wave0" << i;
    EXPECT_NE(effect_segments[4], nullptr);
}

TEST_F(SoundEffects, EmptyAndOversizedWavesAreSilent) {
    write_all_but(-1);
    const fs::path game = dir / "game";
    { std::ofstream empty(game / "wave01.wav", std::ios::binary | std::ios::trunc); }
    // A sparse 64 MiB file that begins as a wave: larger than any effect.
    fs::copy_file(game / "wave02.wav", game / "big.wav");
    fs::resize_file(game / "big.wav", std::uintmax_t{64} << 20);
    fs::rename(game / "big.wav", game / "wave02.wav");
    ASSERT_EQ(init_sound(), 0);
    EXPECT_EQ(effect_segments[1], nullptr);
    EXPECT_EQ(effect_segments[2], nullptr);
    EXPECT_NE(effect_segments[3], nullptr);
}

// A PCM wave of any channel count, rate and sample width (8 or 16 bits),
// a fifth of a second of a square tone.
void write_pcm(const fs::path& path, int channels, int rate, int bits) {
    const int frames = rate / 5, width = bits / 8;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const std::uint32_t data = static_cast<std::uint32_t>(frames * channels * width);
    out.write("RIFF", 4);
    u32(36 + data);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * width));
    u16(static_cast<std::uint16_t>(channels * width));
    u16(static_cast<std::uint16_t>(bits));
    out.write("data", 4);
    u32(data);
    for (int i = 0; i < frames * channels; ++i) {
        const bool high = (i / channels / 40) % 2 == 0;
        if (bits == 8) out.put(static_cast<char>(high ? 200 : 56));
        else u16(static_cast<std::uint16_t>(high ? 9000 : -9000));
    }
}

TEST_F(SoundEffects, WavesOfOtherRatesWidthsAndChannelsLoad) {
    write_all_but(-1);
    const fs::path game = dir / "game";
    write_pcm(game / "wave00.wav", 1, 11025, 8);
    write_pcm(game / "wave01.wav", 2, 48000, 16);
    write_pcm(game / "wave02.wav", 2, 8000, 8);
    ASSERT_EQ(init_sound(), 0);
    for (int i = 0; i < 3; ++i) EXPECT_NE(effect_segments[i], nullptr) << "wave0" << i;
    play_sound_effect(1);
    EXPECT_NE(effect_states[1], nullptr);
}

TEST_F(SoundEffects, NoAudioDeviceStartsSilently) {
    write_all_but(-1);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_EQ(init_sound(), 0);
    play_sound_effect(GameStart);
    EXPECT_EQ(effect_states[GameStart], nullptr);
}

TEST_F(SoundEffects, NoDefaultAudioPathFailsTheStage) {
    write_all_but(-1);
    set_fault(Fault::AudioPath, true);
    EXPECT_LT(init_sound(), 0);
}

TEST_F(SoundEffects, ADirectoryLongerThan260CharactersFailsTheStage) {
    fs::path deep = dir;
    while (deep.string().size() <= 300) deep /= std::string(40, 'd');
    fs::create_directories(deep / "game");
    fs::current_path(deep);
    EXPECT_LT(init_sound(), 0);
}

TEST_F(SoundEffects, ReleaseLeavesNothingBehind) {
    write_all_but(-1);
    ASSERT_EQ(init_sound(), 0);
    for (int i = 0; i < 20; ++i) play_sound_effect(i % kSoundEffectCount);
    release_sound();
    EXPECT_EQ(performance, nullptr);
    for (int i = 0; i < kSoundEffectCount; ++i) {
        EXPECT_EQ(effect_segments[i], nullptr);
        EXPECT_EQ(effect_states[i], nullptr);
    }
}

}  // namespace
