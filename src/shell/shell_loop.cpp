// Start-up in its fixed order, the main loop's passes and frames, and the
// release of everything at the end: the pieces WinMain is made of.
#include "shell/shell_loop.h"

#include <cstdlib>
#include <ctime>

#include "content/catalogue.h"
#include "content/records.h"
#include "platform/frame_calls.h"
#include "shell/graphics_stage.h"
#include "shell/input_stage.h"
#include "shell/sound_stage.h"
#include "state/game_state.h"
#include "scenes/labels.h"
#include "scenes/scenes.h"
#include "shell/frame_pacing.h"
#include "shell/main_window.h"
#include "ui_text.h"

FramePacing shell_pacing;

namespace {

HINSTANCE startup_instance = nullptr;

// A failed stage is reported once; what the earlier stages made is then
// released in the usual order (each release skips what does not exist), so
// the process ends as tidily as after a normal run.
int fail_startup(const char* message) {
    MessageBoxA(nullptr, message, ui_text::kInitFailedCaption, 0);
    release_all(startup_instance);
    return 0;
}

}  // namespace

void run_frame() {
    begin_frame(shell_pacing, GetTickCount());
    game.frame_seconds = shell_pacing.frame_seconds;
    Sleep(shell_pacing.sleep_ms);
    if (update_allowed(shell_pacing)) update_frame();
    draw_frame();
    check_device();
}

void check_device() {
    if (!device) return;
    if (FAILED(device_test_cooperative_level(device))) {
        if (sprite) sprite->OnLostDevice();
        device_reset(device, &present_params);
        if (sprite) sprite->OnResetDevice();
    }
}

bool run_one_pass(int* exit_code) {
    MSG msg{};
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        run_frame();
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (msg.message != WM_QUIT) return true;
    if (exit_code) *exit_code = static_cast<int>(msg.wParam);
    return false;
}

int run_main_loop() {
    int exit_code = 0;
    while (run_one_pass(&exit_code)) {
    }
    return exit_code;
}

int start_up(HINSTANCE instance) {
    startup_instance = instance;
    game.title_button_state = HoverMunicipality;
    game.current_scene = Title;
    load_records();
    if (!create_main_window(instance)) return fail_startup(ui_text::kInitFailedApplication);
    ShowWindow(main_window, SW_SHOWNORMAL);
    UpdateWindow(main_window);
    if (FAILED(init_graphics())) return fail_startup(ui_text::kInitFailedGraphics);
    if (FAILED(init_keyboard(instance))) return fail_startup(ui_text::kInitFailedKeyboard);
    init_game_controller(instance);  // a missing controller is normal
    if (FAILED(init_mouse(instance))) return fail_startup(ui_text::kInitFailedMouse);
    if (FAILED(init_sound())) return fail_startup(ui_text::kInitFailedSound);
    shell_pacing = FramePacing{};
    shell_pacing.last_tick = GetTickCount();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    fill_catalogue();
    bind_ui_texts();
    reset_board();
    return 1;
}

void release_all(HINSTANCE instance) {
    release_sound();
    release_input();
    release_graphics();
    // After a normal run the window is gone already; after a failed start
    // it is destroyed here, before its class.
    if (main_window) DestroyWindow(main_window);
    UnregisterClassA("MainClass", instance);
}
