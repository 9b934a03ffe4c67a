// What tests and benchmarks ask of a backend's presenter beyond what the
// game needs (host_graphics.h): its renderer's name, the savings of its
// drawing turned off, read-backs, a full drawing to check a frame against,
// and a simulated device loss. Each backend implements these in its test
// part (sdl/testing/, web/testing/), a library that only test builds link:
// the game program holds none of it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/frame_recorder.h"
#include "platform/hosted/host_graphics.h"

// The renderer's name ("opengl", "software", "webgl2" ...).
const char* presenter_name(HostPresenter& presenter);
// Sets the savings of the drawing (all on when made); the next frame is
// drawn without reference to the last.
void set_presenter_options(HostPresenter& presenter, const FrameDrawingOptions& options);
// Draws commands [from, to) of a frame into the back buffer now (before a
// read-back in the middle of a frame).
void presenter_draw_now(HostPresenter& presenter, const RecordedFrame& frame, FramePosition from, FramePosition to);
// The back buffer as it stands: ARGB rows, alpha as drawn.
bool presenter_read_back_buffer(HostPresenter& presenter, std::vector<std::uint32_t>& argb);
// Draws a frame in full, the plain way, into a target of its own at the
// back buffer's size, with no layer and no shortcut, and reads it back.
bool presenter_draw_in_full(HostPresenter& presenter, const RecordedFrame& frame, std::vector<std::uint32_t>& argb);
// What the window shows, where it keeps its picture at the back buffer's
// size (a software renderer's window surface); false elsewhere.
bool presenter_read_window(HostPresenter& presenter, std::vector<std::uint32_t>& argb);
// Drops what a real device loss drops and reports the loss until reset.
void presenter_simulate_loss(HostPresenter& presenter);
