// The main loop's frame clock, adaptive sleep and update gate.
#include "shell/frame_pacing.h"

#include <gtest/gtest.h>

namespace {

// Runs frames of the given length in milliseconds; returns how many of them
// were allowed to update.
int run_frames(FramePacing& p, int count, std::uint32_t step_ms) {
    int updates = 0;
    for (int i = 0; i < count; ++i) {
        begin_frame(p, p.last_tick + step_ms);
        if (update_allowed(p)) ++updates;
    }
    return updates;
}

TEST(FramePacing, FirstWindowDrawsWithoutUpdating) {
    FramePacing p;
    EXPECT_EQ(p.sleep_ms, 30u);
    // Five frames of 16 ms stay inside the first 0.1 s.
    EXPECT_EQ(run_frames(p, 5, 16), 0);
    EXPECT_EQ(p.frames_last_window, 0);
}

TEST(FramePacing, FrameSecondsIsTheWrappedTickDifference) {
    FramePacing p;
    p.last_tick = 0xFFFFFFF0u;
    begin_frame(p, 0x00000010u);  // the tick count wrapped
    EXPECT_DOUBLE_EQ(p.frame_seconds, 0.032);
    begin_frame(p, 0x00000010u);  // the same tick: a zero step
    EXPECT_DOUBLE_EQ(p.frame_seconds, 0.0);
}

TEST(FramePacing, SleepAdaptsOneStepPerWindow) {
    FramePacing p;
    // Ten frames of 11 ms close a window of 10 frames: too many, sleep longer.
    run_frames(p, 10, 11);
    EXPECT_EQ(p.frames_last_window, 10);
    EXPECT_EQ(p.sleep_ms, 31u);
    // Four frames of 25 ms: too few, sleep shorter.
    run_frames(p, 4, 25);
    EXPECT_EQ(p.frames_last_window, 4);
    EXPECT_EQ(p.sleep_ms, 30u);
}

TEST(FramePacing, ExactlySixFramesLeaveTheSleepAlone) {
    FramePacing p;
    // 6 frames of 17 ms = 0.102 s: one window of exactly six.
    run_frames(p, 6, 17);
    EXPECT_EQ(p.frames_last_window, 6);
    EXPECT_EQ(p.sleep_ms, 30u);
    EXPECT_NEAR(p.pacing_seconds, 0.002, 1e-9);  // the remainder carries over
}

TEST(FramePacing, SleepStaysWithinFiveToFifty) {
    FramePacing fast;
    run_frames(fast, 5000, 1);  // far more than six frames per window
    EXPECT_EQ(fast.sleep_ms, 50u);
    FramePacing slow;
    run_frames(slow, 200, 60);  // one frame per window
    EXPECT_EQ(slow.sleep_ms, 5u);
}

TEST(FramePacing, BelowThirtyFramesPerSecondNothingUpdates) {
    FramePacing p;
    // 55 ms frames: never more than two frames in a window.
    int updates = run_frames(p, 100, 55);
    EXPECT_EQ(updates, 0);
}

TEST(FramePacing, AStallSkipsUpdatesWhileItsTimeDrainsAway) {
    FramePacing p;
    run_frames(p, 12, 17);  // settle at six frames per window
    ASSERT_TRUE(update_allowed(p));
    std::uint32_t sleep_before = p.sleep_ms;
    begin_frame(p, p.last_tick + 1000);  // a one-second stall
    EXPECT_NEAR(p.pacing_seconds, 0.9 + 0.0, 0.11);
    int skipped = 0;
    while (p.pacing_seconds >= 0.1) {
        begin_frame(p, p.last_tick + 1);
        EXPECT_EQ(p.frames_last_window, 1);
        if (!update_allowed(p)) ++skipped;
    }
    EXPECT_GE(skipped, 8);
    EXPECT_LE(skipped, 10);
    EXPECT_LT(p.sleep_ms, sleep_before);
    EXPECT_GE(p.sleep_ms, kMinSleepMs);
}

TEST(FramePacing, GateOpensAfterAWindowOfThreeOrMore) {
    FramePacing p;
    run_frames(p, 3, 34);  // 3 frames, 0.102 s
    EXPECT_EQ(p.frames_last_window, 3);
    EXPECT_TRUE(update_allowed(p));
}

}  // namespace
