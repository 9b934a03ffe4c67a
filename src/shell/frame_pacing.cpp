#include "shell/frame_pacing.h"

void begin_frame(FramePacing& p, std::uint32_t now) {
    auto delta = static_cast<std::int32_t>(now - p.last_tick);
    p.frame_seconds = delta * 0.001;
    p.last_tick = now;

    p.frames_this_window += 1;
    p.pacing_seconds += p.frame_seconds;
    if (p.pacing_seconds >= kPacingWindowSeconds) {
        // The remainder carries over into the next window.
        p.pacing_seconds -= kPacingWindowSeconds;
        p.frames_last_window = p.frames_this_window;
        p.frames_this_window = 0;
        if (p.frames_last_window > kTargetFramesPerWindow) {
            p.sleep_ms += 1;
            if (p.sleep_ms > kMaxSleepMs) p.sleep_ms = kMaxSleepMs;
        } else if (p.frames_last_window < kTargetFramesPerWindow) {
            p.sleep_ms -= 1;
            if (p.sleep_ms < kMinSleepMs) p.sleep_ms = kMinSleepMs;
        }
    }
}

bool update_allowed(const FramePacing& p) { return p.frames_last_window > kUpdateGateFrames; }
