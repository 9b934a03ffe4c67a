// The window layer on SDL: window creation and its outer rectangle, and the
// translation of SDL events into the window messages the game handles (the
// events go into SDL's own queue, as the window system's do).
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/sdl_window.h"
#include "platform/sjis.h"
#include "platform/test_hooks.h"

namespace {

std::vector<MSG> seen;

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    seen.push_back(msg);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wparam, lparam);
}

class WindowLayer : public ::testing::Test {
protected:
    void SetUp() override {
        clear_faults();
        seen.clear();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = recording_proc;
        wc.lpszClassName = "TestClass";
        ASSERT_TRUE(RegisterClassExA(&wc));
        // "ぽこ丸" in code page 932.
        window = CreateWindowExA(0, "TestClass", "\x82\xDB\x82\xB1\x8A\xDB", WS_OVERLAPPEDWINDOW, 100, 50, 1042, 812,
                                 nullptr, nullptr, platform_instance(), nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        drain();
        seen.clear();
    }
    void TearDown() override { UnregisterClassA("TestClass", platform_instance()); }

    // Takes every waiting message and dispatches it, as the main loop does.
    std::vector<MSG> drain() {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg);
            DispatchMessageA(&msg);
        }
        return taken;
    }

    void push(SDL_Event e) { SDL_PushEvent(&e); }

    SDL_Event motion(int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(sdl_window_of(window));
        e.motion.x = x;
        e.motion.y = y;
        return e;
    }
    SDL_Event button(Uint32 type, Uint8 which, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = SDL_GetWindowID(sdl_window_of(window));
        e.button.button = which;
        e.button.x = x;
        e.button.y = y;
        return e;
    }

    HWND window = nullptr;
};

TEST_F(WindowLayer, ClientIsTheOuterSizeLessTheFrameAllowance) {
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl_window_of(window), &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    RECT r;
    ASSERT_TRUE(GetWindowRect(window, &r));
    EXPECT_EQ(r.right - r.left, 1042);
    EXPECT_EQ(r.bottom - r.top, 812);

    SDL_SetWindowSize(sdl_window_of(window), 640, 480);
    ASSERT_TRUE(GetWindowRect(window, &r));
    EXPECT_EQ(r.right - r.left, 640 + 18);
    EXPECT_EQ(r.bottom - r.top, 480 + 44);
}

TEST_F(WindowLayer, ALogicalPixelIsTheClientSizeOverTheLogicalScreensInScreenCoordinates) {
    EXPECT_EQ(logical_pixel_scale(window), 1.0);
    SDL_SetWindowSize(sdl_window_of(window), 512, 384);
    EXPECT_EQ(logical_pixel_scale(window), 0.5);
    // Stretched unevenly: the smaller axis.
    SDL_SetWindowSize(sdl_window_of(window), 2048, 384);
    EXPECT_EQ(logical_pixel_scale(window), 0.5);
    EXPECT_EQ(logical_pixel_scale(nullptr), 0.0);
}

TEST_F(WindowLayer, TitleIsDecodedFromCodePage932) {
    EXPECT_EQ(std::string(SDL_GetWindowTitle(sdl_window_of(window))), "ぽこ丸");
}

TEST_F(WindowLayer, OnlyOneWindowAndOneClassName) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = recording_proc;
    wc.lpszClassName = "TestClass";
    EXPECT_FALSE(RegisterClassExA(&wc));
    // A class record of the wrong size is refused, as Windows refuses it.
    wc.lpszClassName = "OtherClass";
    wc.cbSize = 0;
    EXPECT_FALSE(RegisterClassExA(&wc));
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(WindowLayer, MouseMessagesCarryThePositionAsTwoUnsignedWords) {
    push(motion(1000, 700));
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1000, 700));
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1000, 700));
    auto taken = drain();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(LOWORD(static_cast<WPARAM>(taken[0].lParam)), 1000);
    EXPECT_EQ(HIWORD(static_cast<WPARAM>(taken[0].lParam)), 700);
    EXPECT_EQ(taken[1].message, WM_LBUTTONDOWN);
    EXPECT_EQ(taken[2].message, WM_LBUTTONUP);
    EXPECT_EQ(seen.size(), 3u);  // each one reached the window procedure
}

TEST_F(WindowLayer, MouseMessagesMadeByAFingerSaySoInTheirExtraInformation) {
    SDL_Event by_finger = button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10);
    by_finger.button.which = SDL_TOUCH_MOUSEID;
    push(by_finger);
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 10, 10));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
    EXPECT_EQ(static_cast<DWORD>(GetMessageExtraInfo()), 0xFF515780u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_LBUTTONUP);
    EXPECT_EQ(GetMessageExtraInfo(), 0);
}

TEST_F(WindowLayer, NothingOutsideTheClientAreaAndNoOtherButtons) {
    push(motion(-5, 10));
    push(motion(1024, 10));
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 2000, 10));  // released outside: never seen
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 10, 10));
    EXPECT_TRUE(drain().empty());
}

TEST_F(WindowLayer, EscapeAndOtherKeys) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(sdl_window_of(window));
    e.key.keysym.sym = SDLK_ESCAPE;
    push(e);
    e.key.keysym.sym = SDLK_a;
    push(e);
    auto taken = drain();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].message, WM_KEYDOWN);
    EXPECT_EQ(taken[0].wParam, VK_ESCAPE);
    EXPECT_NE(taken[1].wParam, VK_ESCAPE);
}

TEST_F(WindowLayer, ActivationFollowsKeyboardFocus) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(sdl_window_of(window));
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    push(e);
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    push(e);
    auto taken = drain();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].message, WM_ACTIVATE);
    EXPECT_NE(LOWORD(taken[0].wParam), 0);
    EXPECT_EQ(taken[1].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(taken[1].wParam), 0);
}

TEST_F(WindowLayer, ClosingDestroysTheWindowAndEndsTheLoop) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(sdl_window_of(window));
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    push(e);
    push(motion(5, 5));  // queued behind the close: dropped with the window
    auto taken = drain();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, WM_CLOSE);
    EXPECT_EQ(seen[1].message, WM_DESTROY);
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.back().message, WM_QUIT);
    EXPECT_EQ(taken.back().wParam, 0u);
    for (const MSG& m : taken) EXPECT_NE(m.message, WM_MOUSEMOVE);
}

TEST(WindowFaults, InjectedFailuresRefuseClassAndWindow) {
    clear_faults();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = recording_proc;
    wc.lpszClassName = "FaultClass";
    set_fault(Fault::ClassRegistration, true);
    EXPECT_FALSE(RegisterClassExA(&wc));
    clear_faults();
    ASSERT_TRUE(RegisterClassExA(&wc));
    set_fault(Fault::WindowCreation, true);
    EXPECT_EQ(CreateWindowExA(0, "FaultClass", "", WS_OVERLAPPEDWINDOW, 0, 0, 1042, 812, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    clear_faults();
    UnregisterClassA("FaultClass", platform_instance());
}

TEST(MessageBoxes, CaptionAndTextAreDecodedAndObserved) {
    static std::string caption, text;
    set_message_box_observer([](const std::string& c, const std::string& t) {
        caption = c;
        text = t;
    });
    set_message_boxes_suppressed(true);
    // "初期化失敗" and "DirectX Musicの初期化を失敗しました" in code page 932.
    MessageBoxA(nullptr, "DirectX Music\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xF0\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD",
                "\x8F\x89\x8A\xFA\x89\xBB\x8E\xB8\x94\x73", 0);
    EXPECT_EQ(caption, "初期化失敗");
    EXPECT_EQ(text, "DirectX Musicの初期化を失敗しました");
    set_message_box_observer(nullptr);
    set_message_boxes_suppressed(false);
}

TEST(Resources, Icon101InBothSizesAndTheArrowCursor) {
    HICON large = LoadIconA(platform_instance(), MAKEINTRESOURCEA(101));
    auto small = static_cast<HICON>(
        LoadImageA(platform_instance(), MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_NE(large, small);
    EXPECT_EQ(LoadIconA(platform_instance(), MAKEINTRESOURCEA(102)), nullptr);  // no such resource
    EXPECT_EQ(LoadImageA(platform_instance(), MAKEINTRESOURCEA(101), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

TEST(CurrentDirectory, ReportsTheSizeNeededWhenTheBufferIsShort) {
    char buffer[4];
    DWORD needed = GetCurrentDirectoryA(sizeof(buffer), buffer);
    ASSERT_GT(needed, 4u);
    std::vector<char> big(needed);
    EXPECT_EQ(GetCurrentDirectoryA(needed, big.data()), needed - 1);
    WCHAR wide[260];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "game/wave00.wav", -1, wide, 260), 16);
    EXPECT_EQ(std::u16string(wide), u"game/wave00.wav");
}

}  // namespace
