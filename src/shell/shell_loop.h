// The pieces of WinMain, apart so that tests can run start-up, single
// frames and shutdown one at a time.
#pragma once

#include "platform/win_types.h"
#include "shell/frame_pacing.h"

extern FramePacing shell_pacing;

// Runs the start-up stages in their fixed order; 1 when the game can run,
// 0 after a failed stage (its message has been shown).
int start_up(HINSTANCE instance);

// One frame: clock and pacing, sleep, the gated scene update, drawing, and
// the device check with its reset.
void run_frame();
void check_device();

// One pass of the main loop: one message if any is waiting, else a frame.
// False once the pass took WM_QUIT, whose exit code goes to exit_code.
bool run_one_pass(int* exit_code);

// Takes one message per pass, or runs a frame when none is waiting, until
// WM_QUIT; returns its exit code.
int run_main_loop();

void release_all(HINSTANCE instance);
