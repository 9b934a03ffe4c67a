// What a backend gives the graphics device of every platform but Windows
// (hosted/device_hosted.cpp): one presenter per window. The device itself
// keeps the Direct3D 9 rules, records every frame (platform/frame_recorder.h),
// tracks the textures' generations and decides when a frame need not be
// drawn; a presenter only owns the textures and the back buffer, draws the
// commands it is given into the back buffer and shows it stretched over the
// window's client area.
//
// A backend implements the two functions and the class below; nothing else.
// A presenter that draws every frame in full (replay(frame, {}, frame.end(),
// sink)) is a correct one: the cached layer and the damage rectangles are
// savings a backend may make or not.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/frame_recorder.h"
#include "platform/graphics.h"
#include "platform/sprite/render_backend.h"
#include "platform/win_types.h"

// Readies the backend's graphics once, before the first presenter; false
// when there is no graphics at all (Direct3DCreate9 then fails).
bool host_graphics_start();

// How a device asks to draw: the game asks for an accelerated device first
// (with hardware, then software vertex processing) and falls back to the
// software one.
enum class HostRenderer : std::uint8_t {
    Accelerated,          // the backend's preferred accelerated renderer
    AnyAccelerated,       // any accelerated renderer, tried one by one
    Software,             // rasterised on the CPU; always there unless refused
};

// How a frame is drawn: the savings a presenter may make, all on by default
// (tests and benchmarks turn them off to compare, presenter_diagnostics.h).
struct FrameDrawingOptions {
    bool cached_prefix = true;    // keep the back buffer after the frame's unchanged start, and start from it
    bool opaque_shortcut = true;  // draw quads that only show opaque texels without blending
    bool damage_redraw = true;    // redraw a changed frame only inside the rectangles where it changed
};

// What the device asks of a presenter for one frame.
struct FrameDrawing {
    const RecordedFrame* frame = nullptr;     // the frame to draw, its generations stamped
    const RecordedFrame* presented = nullptr; // the frame presented last, or null
    FramePosition prefix;                     // unchanged_prefix(*frame, *presented) (0 without one)
    FramePosition drawn;                      // of *frame, already drawn for a read-back in a test build
    bool back_buffer_kept = false;            // the back buffer still shows *presented, drawn nothing since
};

// How a frame was drawn, for the device's counts.
struct FrameDrawn {
    bool from_layer = false;  // started from the cached layer
    bool in_part = false;     // drawn only inside the damage rectangles
};

// What changed in the window since the last present.
struct HostWindowState {
    bool resized = false;  // the client area has another size: nothing shown is trusted
    bool exposed = false;  // the window system lost what was shown (shown, exposed, restored ...)
};

// A presenter: what the device needs of a backend to put the game's frames
// on the screen, and nothing more. What tests ask of it besides (read-backs,
// a full drawing to check a frame against, a simulated loss, the drawing's
// options) is in presenter_diagnostics.h, which only test builds link.
class HostPresenter {
public:
    virtual ~HostPresenter() = default;

    // Textures of 32-bit ARGB texels, as RenderBackend's (managed: a
    // presenter keeps what it needs to make them again after a reset). Handles
    // are small numbers from 1; 0 is failure.
    virtual int max_texture_size() const = 0;
    virtual BackendTexture create_texture(int width, int height) = 0;
    virtual bool update_texture(BackendTexture texture, int x, int y, int width, int height,
                                const std::uint32_t* argb, int pitch) = 0;
    virtual void destroy_texture(BackendTexture texture) = 0;

    // Makes the width x height back buffer (again), cleared to black:
    // S_OK or D3DERR_OUTOFVIDEOMEMORY. Nothing of a cached layer survives.
    virtual HRESULT make_back_buffer(int width, int height) = 0;
    // Forgets every picture it keeps of earlier frames (the cached layer).
    virtual void forget_presented() = 0;

    // What changed in the window since the last call.
    virtual HostWindowState poll_window() = 0;
    // Draws the rest of a frame into the back buffer, so that it holds the
    // same pixels as a full drawing of it.
    virtual FrameDrawn draw_frame(const FrameDrawing& drawing) = 0;
    // Shows the back buffer stretched over the window's client area.
    virtual void show() = 0;

    // Whether the device is lost (a GPU reset); drawing is then accepted and
    // shows nothing until reset.
    virtual bool lost() const = 0;
    // Makes what a reset drops again, at a back buffer of width x height:
    // S_OK, D3DERR_OUTOFVIDEOMEMORY, or D3DERR_DEVICELOST when the textures
    // could not all be made again.
    virtual HRESULT reset(int width, int height) = 0;
};

// Makes the presenter of a window; null when the window cannot have one,
// with `why` set: D3DERR_INVALIDCALL (no such window, or it was destroyed) or
// D3DERR_NOTAVAILABLE (the renderer is refused or missing, or the window has
// a presenter already).
HostPresenter* host_create_presenter(HWND window, HostRenderer renderer, HRESULT* why);
