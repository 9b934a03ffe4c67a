// The frame clock and the adaptive sleep of the main loop, as plain
// functions over the shell's pacing state so they can be tested without a
// clock. A pacing window is 0.1 s of accumulated frame time; the target is
// six frames per window; the sleep moves by 1 ms per window within 5..50 ms.
#pragma once

#include <cstdint>

struct FramePacing {
    std::uint32_t last_tick = 0;
    double frame_seconds = 0.0;
    std::int32_t frames_this_window = 0;
    std::int32_t frames_last_window = 0;
    double pacing_seconds = 0.0;
    std::uint32_t sleep_ms = 30;
};

constexpr double kPacingWindowSeconds = 0.1;
constexpr std::int32_t kTargetFramesPerWindow = 6;
constexpr std::uint32_t kMinSleepMs = 5;
constexpr std::uint32_t kMaxSleepMs = 50;
constexpr std::int32_t kUpdateGateFrames = 2;

// Starts a frame at tick count now: measures frame_seconds (the wrapped tick
// difference read as a signed 32-bit number), counts the frame and, when a
// pacing window closes, adapts sleep_ms.
void begin_frame(FramePacing& pacing, std::uint32_t now);

// Whether this frame runs the scene update: only while the last completed
// window counted more than two frames.
bool update_allowed(const FramePacing& pacing);
