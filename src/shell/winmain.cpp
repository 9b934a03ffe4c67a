// The program's entry: start-up in its fixed order, the main loop and
// shutdown. On Windows this is the entry point itself; elsewhere main()
// calls it (shell/main.cpp).
#include "shell/winmain.h"

#include "shell/shell_loop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (start_up(instance) == 0) return 0;
    int exit_code = run_main_loop();
    release_all(instance);
    return exit_code;
}
