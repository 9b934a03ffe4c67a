// The Direct3D 9 device draws a frame only when it would change what the
// window shows: a frame that repeats the last presented one, on the same
// textures and window size, with nothing exposed since, is not drawn again.
// The window layer reports the messages after which the window must be drawn.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>

#include "platform/frame_pictures.h"

// After these messages the next present draws, whatever the frame.
bool message_forces_redraw(UINT message);
// Makes the next present of every device that draws into `window` draw.
void force_redraw(HWND window);

// What tests switch and watch (testing/graphics_d3d9_testing.cpp, which
// only test builds link).

// Presents of a device the backend follows, counted from the first time a
// test switches or watches it: drawn through the system, and skipped
// because they would have shown the same picture again.
struct PresentCounts {
    unsigned long drawn = 0;
    unsigned long skipped = 0;
};
PresentCounts present_counts(IDirect3DDevice9* device);

// With skipping off the device draws every call at once, as the
// system does; `before_present` runs just before each real present, when
// the back buffer holds exactly the picture about to be shown.
void set_frame_skipping(IDirect3DDevice9* device, bool enabled);
void set_before_present(IDirect3DDevice9* device, std::function<void()> before_present);
// For the tests' frame check: runs after every present, drawn or skipped,
// with what it did and the device's frame pictures (platform/frame_pictures.h),
// which exist only while a callback is set (an empty function: none).
void set_after_present(IDirect3DDevice9* device, std::function<void(const PresentedFrame&)> after_present);
