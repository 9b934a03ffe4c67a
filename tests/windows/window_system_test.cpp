// The Windows system layer under the game's start-up, on the real Win32,
// DirectInput 8 and DirectMusic: the main window is a wide window whose
// title and class come from code page 932 and which carries both sizes of
// icon 101; its procedure gets the messages the game's loop takes; message
// boxes are reported decoded; each start-up fault fails its own stage with
// the real objects around it; and the wave files are found relative to the
// current directory. Needs an X display and the test prefix's null sound
// device (tests/windows/run_in_wine.sh --display).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/direct_input.h"
#include "platform/direct_music.h"
#include "shell/input_stage.h"
#include "shell/sound_stage.h"
#include "platform/test_hooks.h"
#include "state/game_state.h"
#include "shell/main_window.h"

extern IDirectInput8A* direct_input;
extern IDirectInputDevice8A* keyboard_device;
extern IDirectInputDevice8A* controller_device;
extern IDirectInputDevice8A* mouse_device;
extern IDirectMusicPerformance8* performance;
extern IDirectMusicAudioPath8* default_audio_path;
extern IDirectMusicSegment8* effect_segments[kSoundEffectCount];
extern IDirectMusicSegmentState8* effect_states[kSoundEffectCount];

namespace fs = std::filesystem;

namespace {

struct Size {
    LONG width = 0, height = 0;
};

Size icon_size(HICON icon) {
    Size size;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return size;
    BITMAP bitmap{};
    HBITMAP picture = info.hbmColor ? info.hbmColor : info.hbmMask;
    if (GetObjectW(picture, sizeof(bitmap), &bitmap)) {
        size.width = bitmap.bmWidth;
        // A monochrome icon keeps its mask and picture in one bitmap.
        size.height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

// Takes and dispatches every waiting message as the main loop does, through
// the game's own (ANSI-named) calls; true if WM_QUIT was among them, whose
// exit code goes to exit_code.
bool drain(int* exit_code = nullptr) {
    bool quit = false;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (msg.message == WM_QUIT) {
            quit = true;
            if (exit_code) *exit_code = static_cast<int>(msg.wParam);
        }
    }
    return quit;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        clear_faults();
        game = GameState{};
        ASSERT_TRUE(create_main_window(platform_instance())) << "error " << GetLastError();
        ASSERT_NE(main_window, nullptr);
    }
    void TearDown() override {
        release_input();
        release_sound();
        if (main_window) DestroyWindow(main_window);
        drain();
        UnregisterClassA("MainClass", platform_instance());
        main_window = nullptr;
        clear_faults();
    }
};

TEST_F(MainWindow, IsAWideWindowWithTheDecodedTitleAndClass) {
    EXPECT_TRUE(IsWindowUnicode(main_window));
    wchar_t text[64] = {};
    GetWindowTextW(main_window, text, 64);
    EXPECT_EQ(std::wstring(text), L"ぽこ丸ジグゾー");
    GetClassNameW(main_window, text, 64);
    EXPECT_EQ(std::wstring(text), L"MainClass");
    // The outer size is the adjusted rectangle's right and bottom.
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(main_window, &outer));
    EXPECT_EQ(outer.right - outer.left, game.window_rect.right);
    EXPECT_EQ(outer.bottom - outer.top, game.window_rect.bottom);
}

TEST_F(MainWindow, CarriesIcon101InBothSizesAndTheArrowCursor) {
    auto large = reinterpret_cast<HICON>(GetClassLongPtrW(main_window, GCLP_HICON));
    auto small = reinterpret_cast<HICON>(GetClassLongPtrW(main_window, GCLP_HICONSM));
    ASSERT_NE(large, nullptr) << "no icon resource 101 in this program";
    ASSERT_NE(small, nullptr);
    Size large_size = icon_size(large), small_size = icon_size(small);
    EXPECT_EQ(large_size.width, 32);
    EXPECT_EQ(large_size.height, 32);
    EXPECT_EQ(small_size.width, 16);
    EXPECT_EQ(small_size.height, 16);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(main_window, GCLP_HCURSOR)),
              LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

// The game declares itself unaware of DPI, so its client area is counted
// in 96-DPI pixels: a client of 512 x 384 draws a logical pixel at half a
// device-independent pixel, whatever the screen's density.
TEST_F(MainWindow, ALogicalPixelIsTheClientAreaOverTheLogicalScreen) {
    RECT outer{0, 0, 512, 384};
    ASSERT_TRUE(AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0));
    ASSERT_TRUE(SetWindowPos(main_window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT client{};
    ASSERT_TRUE(GetClientRect(main_window, &client));
    ASSERT_EQ(client.right, 512);
    ASSERT_EQ(client.bottom, 384);
    EXPECT_EQ(logical_pixel_scale(main_window), 0.5);
    EXPECT_EQ(logical_pixel_scale(nullptr), 0.0);
}

TEST_F(MainWindow, ItsProcedureTakesTheLoopsMessagesAndClosingEndsTheLoop) {
    PostMessageW(main_window, WM_MOUSEMOVE, 0, MAKELPARAM(1000, 700));
    PostMessageW(main_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1000, 700));
    game.press_consumed = 1;
    EXPECT_FALSE(drain());
    EXPECT_EQ(game.mouse_x, 1000.0);
    EXPECT_EQ(game.mouse_y, 700.0);
    EXPECT_EQ(game.mouse_down, 1);
    EXPECT_EQ(game.press_consumed, 0);
    PostMessageW(main_window, WM_LBUTTONUP, 0, MAKELPARAM(1000, 700));
    drain();
    EXPECT_EQ(game.mouse_down, 0);

    // Activation, and Escape back to the title from a game.
    PostMessageW(main_window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    drain();
    EXPECT_EQ(game.window_active, 1);
    game.current_scene = Play;
    PostMessageW(main_window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    drain();
    EXPECT_EQ(game.current_scene, Title);

    // The close box: the default handling destroys the window, whose
    // procedure ends the loop with exit code 0.
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    int exit_code = -1;
    EXPECT_TRUE(drain(&exit_code));
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(main_window, nullptr);
}

TEST(MessageBoxes, AreReportedDecodedFromCodePage932) {
    static std::string caption, text;
    set_message_box_observer([](const std::string& c, const std::string& t) {
        caption = c;
        text = t;
    });
    set_message_boxes_suppressed(true);
    // "初期化失敗" and "DirectX Input(Key)の初期化を失敗しました".
    EXPECT_EQ(MessageBoxA(nullptr,
                          "DirectX Input(Key)\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xF0\x8E\xB8\x94\x73\x82\xB5"
                          "\x82\xDC\x82\xB5\x82\xBD",
                          "\x8F\x89\x8A\xFA\x89\xBB\x8E\xB8\x94\x73", 0),
              IDOK);
    EXPECT_EQ(caption, "初期化失敗");
    EXPECT_EQ(text, "DirectX Input(Key)の初期化を失敗しました");
    set_message_box_observer(nullptr);
    set_message_boxes_suppressed(false);
}

TEST_F(MainWindow, WindowFaultsRefuseTheClassAndTheWindow) {
    DestroyWindow(main_window);
    drain();
    ASSERT_TRUE(UnregisterClassA("MainClass", platform_instance()));
    set_fault(Fault::ClassRegistration, true);
    EXPECT_FALSE(create_main_window(platform_instance()));
    clear_faults();
    set_fault(Fault::WindowCreation, true);
    EXPECT_FALSE(create_main_window(platform_instance()));
    EXPECT_EQ(main_window, nullptr);
}

TEST_F(MainWindow, InputDevicesAreMadeAndEachFaultFailsItsStage) {
    EXPECT_GT(init_keyboard(platform_instance()), 0);
    init_game_controller(platform_instance());  // whatever is attached
    EXPECT_GT(init_mouse(platform_instance()), 0);
    EXPECT_NE(keyboard_device, nullptr);
    EXPECT_NE(mouse_device, nullptr);
    release_input();
    EXPECT_EQ(direct_input, nullptr);

    set_fault(Fault::Keyboard, true);
    EXPECT_LT(init_keyboard(platform_instance()), 0);
    EXPECT_EQ(keyboard_device, nullptr);
    release_input();
    clear_faults();

    set_fault(Fault::Mouse, true);
    EXPECT_GT(init_keyboard(platform_instance()), 0);
    EXPECT_LT(init_mouse(platform_instance()), 0);
    EXPECT_EQ(mouse_device, nullptr);
    release_input();
    clear_faults();

    set_fault(Fault::Controller, true);
    EXPECT_GT(init_keyboard(platform_instance()), 0);
    EXPECT_LT(init_game_controller(platform_instance()), 0);
    EXPECT_EQ(controller_device, nullptr);
    EXPECT_GT(init_mouse(platform_instance()), 0);
}

// Runs in a folder of its own holding game/ with all waves but one.
class SoundEffects : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        old_dir = fs::current_path();
        dir = fs::temp_directory_path() / ("pokomaru-wave-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir);
        fs::create_directories(dir / "game");
        const fs::path source = fs::path(POKOMARU_SOURCE_DIR) / "game";
        for (int i = 0; i < kSoundEffectCount; ++i) {
            std::string name = "wave0" + std::to_string(i) + ".wav";
            if (i != DropLoose) fs::copy_file(source / name, dir / "game" / name);
        }
        fs::current_path(dir);
    }
    void TearDown() override {
        MainWindow::TearDown();
        fs::current_path(old_dir);
        fs::remove_all(dir);
    }
    fs::path old_dir, dir;
};

TEST_F(SoundEffects, WavesAreFoundInTheCurrentDirectoryAndAMissingOneIsSilent) {
    ASSERT_EQ(init_sound(), 0) << "no sound device: run in the test prefix, whose ALSA device is a null device";
    EXPECT_NE(default_audio_path, nullptr);
    for (int i = 0; i < kSoundEffectCount; ++i) {
        if (i == DropLoose)
            EXPECT_EQ(effect_segments[i], nullptr);
        else
            EXPECT_NE(effect_segments[i], nullptr) << "wave0" << i;
    }
    play_sound_effect(DropLoose);  // silent, and harmless
    EXPECT_EQ(effect_states[DropLoose], nullptr);
    for (int i = 0; i < 12; ++i) play_sound_effect(i % kSoundEffectCount);
    release_sound();
    EXPECT_EQ(performance, nullptr);
    for (int i = 0; i < kSoundEffectCount; ++i) {
        EXPECT_EQ(effect_segments[i], nullptr);
        EXPECT_EQ(effect_states[i], nullptr);
    }
}

TEST_F(SoundEffects, NoDefaultAudioPathFailsTheStageAndReleasesCleanly) {
    set_fault(Fault::AudioPath, true);
    EXPECT_LT(init_sound(), 0);
    EXPECT_EQ(default_audio_path, nullptr);
    release_sound();
    EXPECT_EQ(performance, nullptr);
}

}  // namespace
