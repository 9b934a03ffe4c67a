// The play clock keeps exact time once the Direct3D 9 device exists. The
// device is made without D3DCREATE_FPU_PRESERVE, so making it sets the
// thread's x87 unit to single precision; a build whose doubles live on the
// x87 then rounds every sum to 24 bits, and an hour of play ends about 0.65 s
// off. Built with SSE2 arithmetic the sum is the very double the Linux build
// of the same frame clock gets. Needs an X display
// (tests/windows/run_in_wine.sh --display).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "shell/graphics_stage.h"
#include "platform/test_hooks.h"
#include "state/game_state.h"
#include "shell/frame_pacing.h"
#include "shell/main_window.h"

namespace fs = std::filesystem;

namespace {

// What the Linux build of begin_frame and the play scene's sum gives for
// 232258 frames of alternately 15 and 16 ms (an hour less a millisecond):
// 3599.9990000024036. On a single-precision x87 the same sum is
// 3600.64990234375 (0x40ac214cc0000000).
constexpr std::uint64_t kHourOfFramesBits = 0x40ac1fff7ceda60eull;
constexpr int kHourOfFrames = 232258;

std::uint64_t bits_of(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The x87 precision control: 0 single, 2 double, 3 extended.
unsigned x87_precision() {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return (control >> 8) & 3u;
}

class PlayClock : public ::testing::Test {
protected:
    void SetUp() override {
        clear_faults();
        game = GameState{};
        source = POKOMARU_SOURCE_DIR;
        dir = fs::temp_directory_path() / "pokomaru-play-clock";
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy(source / "game", dir / "game");
        fs::current_path(dir);
        ASSERT_TRUE(create_main_window(platform_instance())) << "error " << GetLastError();
    }
    void TearDown() override {
        release_graphics();
        if (main_window) DestroyWindow(main_window);
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        UnregisterClassA("MainClass", platform_instance());
        main_window = nullptr;
        fs::current_path(source);
        fs::remove_all(dir);
    }
    fs::path source, dir;
};

TEST_F(PlayClock, AnHourOfFramesAfterTheDeviceIsMadeSumsAsOnLinux) {
    ASSERT_GE(init_graphics(), 0);
    ASSERT_NE(device, nullptr);
    // Direct3D's doing, which this test is about (Wine's does it in 64-bit
    // processes too): without it the test could not tell an x87 build from
    // an SSE2 one.
    EXPECT_EQ(x87_precision(), 0u) << "the device left the x87 unit's precision alone";

    // The frame clock of the main loop and the play scene's sum.
    FramePacing pacing;
    std::uint32_t tick = 1000;
    pacing.last_tick = tick;
    game.play_seconds = 0.0;
    for (int frame = 0; frame < kHourOfFrames; ++frame) {
        tick += frame % 2 ? 16 : 15;
        begin_frame(pacing, tick);
        game.frame_seconds = pacing.frame_seconds;
        game.play_seconds += game.frame_seconds;
    }
    EXPECT_EQ(bits_of(game.play_seconds), kHourOfFramesBits)
        << "play_seconds is " << game.play_seconds << ", not 3599.9990000024036";
    EXPECT_EQ(static_cast<int>(game.play_seconds), 3599);
}

}  // namespace
