// Diagnostics of the graphics device of every platform but Windows, for
// tests and benchmarks; the game never calls these, and the game program
// does not hold them: they live in the hosted layer's test part
// (testing/device_hooks.cpp), which only test builds link. What checks a
// frame (its pixels against a full drawing) lives with the tests, behind
// the one after-present callback below.
#pragma once

#include <functional>

#include "platform/graphics.h"
#include "platform/hosted/device_hosted.h"
#include "platform/hosted/host_graphics.h"

// Presents of a device since the first of these calls on it.
struct HostedPresentCounts {
    unsigned long drawn = 0;       // drawn and shown
    unsigned long skipped = 0;     // found identical to the frame already shown, and not drawn
    unsigned long from_layer = 0;  // drawn from the cached layer
    unsigned long in_part = 0;     // drawn only inside the damage rectangles
};
HostedPresentCounts hosted_present_counts(IDirect3DDevice9* device);

// Sets the savings of the device's drawing (all on when made); the next
// frame is drawn without reference to the last.
void set_frame_drawing(IDirect3DDevice9* device, const FrameDrawingOptions& options);
FrameDrawingOptions frame_drawing(IDirect3DDevice9* device);
// Makes the next present draw even if the frame is unchanged.
void redraw_next_present(IDirect3DDevice9* device);
// The renderer's name ("opengl", "software" ...), or null for another device.
const char* device_renderer_name(IDirect3DDevice9* device);
// Drops what a real device loss drops; TestCooperativeLevel reports the
// loss until Reset.
void simulate_device_loss(IDirect3DDevice9* device);

// Runs after every present of a device that did not find it lost (an empty
// function: none). The frame's pictures are the presenter's own
// (presenter_diagnostics.h).
void set_after_present(IDirect3DDevice9* device, std::function<void(const HostedPresentedFrame&)> after_present);
