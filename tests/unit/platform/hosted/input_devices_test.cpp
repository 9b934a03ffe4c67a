// Start-up of the input devices: the keyboard and the mouse are required,
// a controller is optional, and nothing is read from any of them.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/direct_input.h"
#include "shell/input_stage.h"
#include "platform/test_hooks.h"
#include "shell/main_window.h"

extern IDirectInput8A* direct_input;
extern IDirectInputDevice8A* keyboard_device;
extern IDirectInputDevice8A* controller_device;
extern IDirectInputDevice8A* mouse_device;

namespace {

LRESULT CALLBACK plain_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class InputDevices : public ::testing::Test {
protected:
    void SetUp() override {
        clear_faults();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = plain_proc;
        wc.lpszClassName = "InputTest";
        ASSERT_TRUE(RegisterClassExA(&wc));
        main_window = CreateWindowExA(0, "InputTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 1042, 812, nullptr, nullptr,
                                      platform_instance(), nullptr);
        ASSERT_NE(main_window, nullptr);
    }
    void TearDown() override {
        release_input();
        EXPECT_EQ(direct_input, nullptr);
        EXPECT_EQ(keyboard_device, nullptr);
        EXPECT_EQ(mouse_device, nullptr);
        UnregisterClassA("InputTest", platform_instance());
        main_window = nullptr;
        clear_faults();
    }
};

TEST_F(InputDevices, KeyboardAndMouseAreFoundWithoutAController) {
    EXPECT_GT(init_keyboard(platform_instance()), 0);
    EXPECT_LT(init_game_controller(platform_instance()), 0);  // none attached here
    EXPECT_EQ(controller_device, nullptr);
    EXPECT_GT(init_mouse(platform_instance()), 0);
    EXPECT_NE(keyboard_device, nullptr);
    EXPECT_NE(mouse_device, nullptr);
}

TEST_F(InputDevices, AMissingKeyboardOrMouseFailsItsStage) {
    set_fault(Fault::Keyboard, true);
    EXPECT_LT(init_keyboard(platform_instance()), 0);
    release_input();
    clear_faults();
    set_fault(Fault::Mouse, true);
    EXPECT_GT(init_keyboard(platform_instance()), 0);
    EXPECT_LT(init_mouse(platform_instance()), 0);
}

TEST_F(InputDevices, TheMouseNeedsTheInputSystemMadeByTheKeyboardStage) {
    EXPECT_LT(init_mouse(platform_instance()), 0);
    EXPECT_LT(init_game_controller(platform_instance()), 0);
}

TEST(InputSystem, RefusesAWrongVersionAndMisusedDevices) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    void* out = nullptr;
    EXPECT_LT(DirectInput8Create(platform_instance(), 0x0700, IID_IDirectInput8A, &out, nullptr), 0);
    EXPECT_EQ(out, nullptr);
    ASSERT_GE(DirectInput8Create(platform_instance(), DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), 0);
    auto* input = static_cast<IDirectInput8A*>(out);
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_GE(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), 0);
    // A keyboard takes the keyboard format only, and a cooperative level
    // needs a window and exactly one of each pair of flags.
    EXPECT_LT(keyboard->SetDataFormat(&c_dfDIMouse2), 0);
    EXPECT_GE(keyboard->SetDataFormat(&c_dfDIKeyboard), 0);
    EXPECT_LT(keyboard->SetCooperativeLevel(nullptr, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), 0);
    DIPROPDWORD bad{};
    bad.diph.dwSize = 99;
    bad.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    EXPECT_LT(keyboard->SetProperty(DIPROP_BUFFERSIZE, &bad.diph), 0);
    DIDEVCAPS caps{};
    caps.dwSize = 40;
    EXPECT_LT(keyboard->GetCapabilities(&caps), 0);
    keyboard->Release();
    input->Release();
}

}  // namespace
