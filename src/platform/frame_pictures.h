// The two pictures of a present that a test compares to prove that what a
// device shows is what a full drawing of the recorded frame would show,
// however the device saved work: every device that can read its pixels back
// offers them after each present. The game never asks for them; the
// comparison itself lives with the tests.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/frame_recorder.h"

class FramePictures {
public:
    virtual ~FramePictures() = default;
    // Draws a frame in full, the plain way (every command from the first,
    // no saving), into a target of its own at the back buffer's size and
    // reads it back: ARGB rows. What the window shows is left alone.
    virtual bool draw_in_full(const RecordedFrame& frame, std::vector<std::uint32_t>& argb) = 0;
    // The picture the window shows after the present (after a skipped one:
    // the picture of the last one drawn), as ARGB rows at the back buffer's
    // size.
    virtual bool read_shown(std::vector<std::uint32_t>& argb) = 0;
};

// What a present just did, as a device's after-present callback sees it.
struct PresentedFrame {
    FramePictures* pictures = nullptr;
    const RecordedFrame* frame = nullptr;  // the frame shown, or null when it is none to compare with
    int width = 0, height = 0;             // the back buffer's
    bool skipped = false;                  // the frame repeated the last one and was not drawn
};
