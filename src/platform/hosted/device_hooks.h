// Diagnostics of the graphics device of every platform but Windows, for
// tests and benchmarks; the game never calls these. What checks a frame
// (its pixels against a full drawing) lives with the tests, behind the one
// after-present callback below.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/frame_pictures.h"
#include "platform/graphics.h"
#include "platform/hosted/host_graphics.h"

// Presents of a device since it was made.
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

// What a present just did, as the callback sees it: the shared record
// (its pictures are the presenter's) and how the presenter drew it.
struct HostedPresentedFrame : PresentedFrame {
    HostPresenter* presenter = nullptr;
    FrameDrawn drawn;
};
// Runs after every present of a device that did not find it lost (an empty
// function: none).
void set_after_present(IDirect3DDevice9* device, std::function<void(const HostedPresentedFrame&)> after_present);
