// The frame check: after every present of a frame that starts with a full
// clear, a full plain drawing of the recorded frame is compared, pixel for
// pixel, with the picture the window shows (after a skipped present: the
// picture of the last one drawn). It works on any device's after-present
// callback through the frame pictures of platform/frame_pictures.h; the
// game program contains none of it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/frame_pictures.h"

struct FrameCheck {
    unsigned long frames = 0;            // presents compared
    unsigned long unchecked = 0;         // frames that do not start with a full clear
    unsigned long skipped = 0;           // compared presents that were skipped (not drawn)
    unsigned long differing_frames = 0;  // presents whose pictures differed
    unsigned long first_frame = 0;       // the first of them (1 = the first compared)
    int first_x = 0, first_y = 0;        // its first differing pixel
    std::uint32_t full = 0, shown = 0;   // in the full drawing and in the picture shown
    // Counted by the hosted device's check alone (support/hosted_device.h):
    unsigned long cached = 0;   // presents that started from the cached layer
    unsigned long damaged = 0;  // presents that drew only the changed rectangles
    // Where the window keeps its picture (the software renderer) at the back
    // buffer's size, it is compared with the back buffer too.
    unsigned long window_frames = 0;            // presents whose window was compared
    unsigned long window_differing_frames = 0;  // windows that differed from the back buffer
    unsigned long window_first_frame = 0;
    int window_first_x = 0, window_first_y = 0;
};

// The first pixel where two pictures differ (alpha aside), or -1.
long first_difference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);

class FrameChecker {
public:
    // Compares one present; true when both pictures were there to compare.
    bool compare(const PresentedFrame& presented);

    FrameCheck& check() { return check_; }
    const FrameCheck& check() const { return check_; }
    // The picture shown at the last present compared.
    const std::vector<std::uint32_t>& shown() const { return shown_; }

private:
    FrameCheck check_;
    std::vector<std::uint32_t> full_, shown_;
};
