// A frame that would show exactly what the window shows already is not
// drawn again: the title standing still costs next to nothing, while every
// change still reaches the screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include "state/platform_objects.h"
#include "support/hosted_device.h"
#include "platform/sdl/sdl_window.h"
#include "state/game_state.h"
#include "shell/main_window.h"
#include "support/game_harness.h"

namespace {

class UnchangedFrames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(harness::start_game());
        harness::wait_ms(300);
    }
    void TearDown() override { harness::stop_game(); }
    unsigned long skipped() { return sdl_graphics_skipped_presents(device); }
};

TEST_F(UnchangedFrames, AStillTitleIsPresentedOnceAndThenSkipped) {
    harness::frame();
    unsigned long before = skipped();
    for (int i = 0; i < 10; ++i) harness::frame();
    EXPECT_EQ(skipped(), before + 10);
}

TEST_F(UnchangedFrames, AnyChangeIsPresented) {
    harness::frame();
    unsigned long before = skipped();
    // Hovering lights the button: a different frame, drawn.
    harness::move(harness::client_x(384), harness::client_y(632));
    harness::frame();
    harness::frame();
    ASSERT_EQ(game.title_button_state, HoverMunicipality);
    unsigned long after_hover = skipped();
    EXPECT_LT(after_hover, before + 2);
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(harness::read_frame(pixels, w, h));
    // The hovered button is opaque; the idle one is faded: the button's
    // pixels change when the pointer leaves.
    const std::vector<std::uint32_t> lit = pixels;
    harness::move(harness::client_x(100), harness::client_y(700));
    harness::frame();
    harness::frame();
    EXPECT_EQ(game.title_button_state, TitleIdle);
    ASSERT_TRUE(harness::read_frame(pixels, w, h));
    int differing = 0;
    for (int y = 600; y < 664; ++y)
        for (int x = 320; x < 448; ++x) differing += pixels[y * w + x] != lit[y * w + x];
    EXPECT_GT(differing, 500);
}

TEST_F(UnchangedFrames, AWindowEventForcesARedraw) {
    harness::frame();
    harness::frame();
    unsigned long before = skipped();
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    e.window.windowID = SDL_GetWindowID(sdl_window_of(main_window));
    SDL_PushEvent(&e);
    harness::frame();
    EXPECT_EQ(skipped(), before);  // drawn again
    harness::frame();
    EXPECT_EQ(skipped(), before + 1);
}

TEST_F(UnchangedFrames, TheRunningClockIsDrawnEverySecond) {
    harness::move(harness::client_x(384), harness::client_y(632));
    harness::frame();
    harness::press();
    harness::frame();
    harness::release();
    harness::frame();
    harness::wait_ms(2200);
    ASSERT_EQ(game.current_scene, Play);
    harness::move(harness::client_x(20), harness::client_y(300));  // over no piece
    harness::wait_ms(200);
    std::vector<std::uint32_t> first, later;
    int w = 0, h = 0;
    ASSERT_TRUE(harness::read_frame(first, w, h));
    harness::wait_ms(1100);
    ASSERT_TRUE(harness::read_frame(later, w, h));
    // The seconds digit of the elapsed time (784..800, 48..64) changed.
    int differing = 0;
    for (int y = 48; y < 66; ++y)
        for (int x = 784; x < 802; ++x) differing += first[y * w + x] != later[y * w + x];
    EXPECT_GT(differing, 10);
}

}  // namespace
