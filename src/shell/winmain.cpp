// The program's entry: start-up in its fixed order, the main loop and
// shutdown. On Windows this is the entry point itself; elsewhere main()
// calls it (shell/main.cpp).
#include "shell/winmain.h"

#include "shell/graphics_stage.h"
#include "shell/shell_loop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (start_up(instance) == 0) return 0;
    // The title is on the screen at once, not after the window's first
    // messages and the loop's first pacing sleep; the loop then draws the
    // same picture again, which the device finds unchanged.
    draw_frame();
    int exit_code = run_main_loop();
    release_all(instance);
    return exit_code;
}
