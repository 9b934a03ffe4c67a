// The title's two buttons: hover, press, release, sliding off, and the
// start of a game.

#include <gtest/gtest.h>

#include "shell/sound_stage.h"
#include "scenes/scenes.h"
#include "test_support.h"

namespace {

class TitleButtons : public ::testing::Test {
protected:
    void SetUp() override {
        start_game_state();
        move_logical(100, 100);
        run_frame();
        ASSERT_EQ(game.title_button_state, TitleIdle);
    }
};

TEST_F(TitleButtons, PressAndReleaseOnTheMascotButtonStartsAMascotGame) {
    game.scatter_seconds = 1.5;
    game.new_record = 1;
    move_logical(704, 664);  // the far corner is still the button
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMascot);
    press();
    run_frame();
    EXPECT_EQ(game.title_button_state, PressedMascot);
    run_frame();
    EXPECT_EQ(game.current_scene, Title);  // held: nothing yet
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Scatter);
    EXPECT_EQ(game.puzzle_mode, Mascot);
    EXPECT_EQ(game.title_button_state, TitleIdle);
    EXPECT_EQ(game.scatter_seconds, 0);
    EXPECT_EQ(game.new_record, 0);
    EXPECT_EQ(game.pieces_left, kMascotPieces);
    EXPECT_EQ(sound_log, std::vector<std::int32_t>{GameStart});
    EXPECT_TRUE(record_log.empty());  // the title does not read the record file
}

// A finger's touch and press come together; a mouse has pointed first.
TEST_F(TitleButtons, AFingersPressWithItsFirstTouchPressesTheButtonAMousesOnlyLightsIt) {
    move_logical(600, 640);
    press();
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMascot);
    release();
    move_logical(100, 100);
    run_frame();
    ASSERT_EQ(game.title_button_state, TitleIdle);

    game.pointer_is_touch = 1;
    move_logical(600, 640);
    press();
    run_frame();
    EXPECT_EQ(game.title_button_state, PressedMascot);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Scatter);
}

TEST_F(TitleButtons, PressedThenSlidOffStartsNothing) {
    move_logical(384, 632);
    run_frame();
    press();
    run_frame();
    ASSERT_EQ(game.title_button_state, PressedMunicipality);
    move_logical(384, 670);
    run_frame();
    EXPECT_EQ(game.title_button_state, TitleIdle);
    move_logical(384, 632);  // back on it, still held: only a hover
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Title);
    EXPECT_TRUE(sound_log.empty());
}

TEST_F(TitleButtons, ReleaseInTheUpdateThatLeavesTheButtonStillStarts) {
    move_logical(384, 632);
    run_frame();
    press();
    run_frame();
    move_logical(384, 700);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Scatter);
    EXPECT_EQ(game.puzzle_mode, Municipality);
}

TEST_F(TitleButtons, PressInTheUpdateThatLeavesAHoverStillPresses) {
    move_logical(384, 632);
    run_frame();
    move_logical(100, 100);
    press();
    run_frame();
    EXPECT_EQ(game.title_button_state, PressedMunicipality);
    run_frame();  // outside: back to Idle; the later release starts nothing
    EXPECT_EQ(game.title_button_state, TitleIdle);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Title);
}

TEST_F(TitleButtons, JumpBetweenButtonsPassesThroughIdle) {
    move_logical(384, 632);
    run_frame();
    ASSERT_EQ(game.title_button_state, HoverMunicipality);
    move_logical(640, 632);
    run_frame();
    EXPECT_EQ(game.title_button_state, TitleIdle);
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMascot);
}

TEST_F(TitleButtons, IdleIgnoresAPressOverAButton) {
    move_logical(384, 632);
    press();
    run_frame();  // Idle only lights the button; the press is used up
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Title);
}

TEST_F(TitleButtons, ButtonsScaleWithTheWindow) {
    set_outer_window(2066, 1580);
    move_client(384, 632);  // the logical spot, unscaled: no longer the button
    run_frame();
    EXPECT_EQ(game.title_button_state, TitleIdle);
    move_client(768, 1264);
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    move_client(1152, 1264);
    run_frame();
    run_frame();
    EXPECT_EQ(game.title_button_state, HoverMascot);
}

}  // namespace
