// The frame dispatch, the press latch, the hit test and the window's part
// in them.

#include <gtest/gtest.h>

#include "scenes/scenes.h"
#include "test_support.h"

namespace {

class Controller : public ::testing::Test {
protected:
    void SetUp() override { start_game_state(); }
};

TEST_F(Controller, HitTestIncludesItsEdgesAndScalesTheRectangleNotThePointer) {
    run_frame();  // measures the 1042 x 812 window: client 1024 x 768
    move_client(320, 600);
    EXPECT_TRUE(pointer_in_logical_rect(320, 600, 448, 664));
    move_client(448, 664);
    EXPECT_TRUE(pointer_in_logical_rect(320, 600, 448, 664));
    move_client(448.0001, 664);
    EXPECT_FALSE(pointer_in_logical_rect(320, 600, 448, 664));
    move_client(319.9999, 600);
    EXPECT_FALSE(pointer_in_logical_rect(320, 600, 448, 664));

    set_outer_window(2066, 1580);  // client 2048 x 1536: everything doubles
    run_frame();
    move_client(640, 1200);
    EXPECT_TRUE(pointer_in_logical_rect(320, 600, 448, 664));
    move_client(639, 1200);
    EXPECT_FALSE(pointer_in_logical_rect(320, 600, 448, 664));
    move_client(896, 1328);
    EXPECT_TRUE(pointer_in_logical_rect(320, 600, 448, 664));
    move_client(384, 632);  // the logical point itself is now outside
    EXPECT_FALSE(pointer_in_logical_rect(320, 600, 448, 664));
}

TEST_F(Controller, HitTestTakesTheProductBeforeTheDivision) {
    // Client 700 high: 700 / 768 is not exact, so for some bounds the
    // quotient taken first rounds away from the product taken first. A
    // pointer exactly on the product-first bound is inside on both sides.
    set_outer_window(1042, 744);
    run_frame();
    int differing = 0;
    for (int y = 1; y < 768; ++y) {
        const double product_first = 700.0 * y / 768;
        const double quotient_first = 700.0 / 768 * y;
        if (product_first == quotient_first) continue;
        ++differing;
        move_client(0, product_first);
        EXPECT_TRUE(pointer_in_logical_rect(0, y, 0, y)) << y;
    }
    EXPECT_GT(differing, 0);
}

TEST_F(Controller, PressIsFreshForExactlyOneSceneUpdate) {
    move_client(10, 10);
    run_frame();  // the start-up hover on the left button drops to Idle
    press();
    run_frame();
    EXPECT_EQ(game.press_consumed, 1);
    EXPECT_EQ(game.mouse_down, 1);
    // Sliding onto a button with the button still held presses nothing.
    move_logical(384, 632);
    for (int i = 0; i < 5; ++i) run_frame();
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Title);
}

TEST_F(Controller, PressAndReleaseBetweenUpdatesIsNoPress) {
    move_logical(384, 632);
    run_frame();
    press();
    release();
    run_frame();
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    EXPECT_EQ(game.current_scene, Title);
}

TEST_F(Controller, InactiveWindowRunsNoSceneAndKeepsThePressFresh) {
    start_from_title(Municipality);
    ASSERT_TRUE(scatter_until_play());
    run_frame(0.5);
    const double clock = game.play_seconds;
    game.window_active = 0;
    press();
    set_outer_window(1218, 912);
    run_frame(3.0);
    EXPECT_EQ(game.play_seconds, clock);
    EXPECT_EQ(game.press_consumed, 0);
    EXPECT_EQ(game.window_width, 1218);  // the window is still measured
    game.window_active = 1;
    run_frame(0.25);
    EXPECT_EQ(game.play_seconds, clock + 0.25);
    EXPECT_EQ(game.press_consumed, 1);
}

TEST_F(Controller, SceneOutsideTheFourRunsNothingButConsumesThePress) {
    game.current_scene = 7;
    move_logical(384, 632);
    game.title_button_state = HoverMunicipality;
    press();
    run_frame();
    EXPECT_EQ(game.press_consumed, 1);
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    EXPECT_EQ(game.current_scene, 7);
    EXPECT_TRUE(sound_log.empty());
}

TEST_F(Controller, FadeRunsNoSceneThenSwitchesAndFadesBackIn) {
    // Nothing in the game starts a fade; driven by hand, the fade holds the
    // scenes and the latch, switches at black and returns to full.
    game.fade_phase = FadePhase::FadingOut;
    game.next_scene = Clear;
    move_logical(384, 632);
    game.title_button_state = TitleIdle;
    press();
    run_frame(0.1);  // 255 - 110
    EXPECT_DOUBLE_EQ(game.fade_alpha, 145);
    EXPECT_EQ(game.title_button_state, TitleIdle);
    EXPECT_EQ(game.press_consumed, 0);
    run_frame(0.2);
    EXPECT_EQ(game.fade_alpha, 0);
    EXPECT_EQ(game.current_scene, Clear);
    EXPECT_EQ(game.fade_phase, FadePhase::FadingIn);
    run_frame(0.2);
    EXPECT_DOUBLE_EQ(game.fade_alpha, 140);
    run_frame(0.2);
    EXPECT_EQ(game.fade_alpha, 255);
    EXPECT_EQ(game.fade_phase, FadePhase::None);
    EXPECT_EQ(game.press_consumed, 0);
    run_frame();
    EXPECT_EQ(game.press_consumed, 1);
}

TEST_F(Controller, EscapeReturnsToTheTitleWithEveryPieceHomeAndLabelsHidden) {
    start_from_title(Mascot);
    ASSERT_TRUE(scatter_until_play());
    const PieceRecord& piece = game.mascot_pieces[5];
    move_logical(piece.x + 16, piece.y + 16);
    run_frame();
    press();
    run_frame();
    ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
    ASSERT_NE(game.mascot_name_label.state, Hidden);
    const double clock = game.play_seconds;
    escape();
    EXPECT_EQ(game.current_scene, Title);
    for (int i = 0; i < kMascotPieces; ++i) {
        EXPECT_EQ(game.mascot_pieces[i].state, Loose);
        EXPECT_EQ(game.mascot_pieces[i].x, game.mascot_pieces[i].home_x);
        EXPECT_EQ(game.mascot_order[i], i);
    }
    EXPECT_EQ(game.mascot_name_label.state, Hidden);
    EXPECT_EQ(game.puzzle_mode, Mascot);       // kept
    EXPECT_EQ(game.play_seconds, clock);       // kept
    EXPECT_EQ(game.title_button_state, TitleIdle);
    EXPECT_TRUE(record_log.empty());
}

}  // namespace
