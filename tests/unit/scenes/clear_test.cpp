// The Clear scene: the wait, the banner, the play-again button.

#include <gtest/gtest.h>

#include "shell/sound_stage.h"
#include "scenes/scenes.h"
#include "test_support.h"

namespace {

class ClearScene : public ::testing::Test {
protected:
    void SetUp() override {
        start_game_state();
        // As the last drop of a municipality game leaves it.
        game.current_scene = Clear;
        game.puzzle_mode = Municipality;
        game.title_button_state = TitleIdle;
        for (PieceRecord& piece : game.municipality_pieces) piece.state = Placed;
        game.pieces_left = 0;
        game.clear_delay = 1.0;
        game.banner_width = 0;
        game.clear_button_state = ClearIdle;
        game.play_seconds = 75.9;
        game.new_record = 1;
        move_logical(100, 100);
    }

    void complete_banner() {
        for (int k = 0; k < 100 && !(game.clear_delay <= 0 && game.banner_width >= 512); ++k) run_frame(0.1);
    }
};

TEST_F(ClearScene, WaitsOneSecondThenUncoversTheBannerWithoutClamping) {
    run_frame(0.5);
    EXPECT_EQ(game.clear_delay, 0.5);
    EXPECT_EQ(game.banner_width, 0);
    run_frame(0.5);  // the wait ends at 0, and the banner starts in the same update
    EXPECT_EQ(game.clear_delay, 0);
    EXPECT_EQ(game.banner_width, 250);
    run_frame(0.5);
    EXPECT_EQ(game.clear_delay, 0);  // no longer counted down
    EXPECT_EQ(game.banner_width, 500);
    run_frame(0.036);
    EXPECT_DOUBLE_EQ(game.banner_width, 518);  // past 512 and left there
    run_frame(0.1);
    EXPECT_DOUBLE_EQ(game.banner_width, 518);
    EXPECT_EQ(game.clear_button_state, ClearIdle);  // the button only reacts now
}

TEST_F(ClearScene, PressBeforeTheBannerIsCompleteIsLostAndHoldingPressesNothing) {
    move_logical(512, 632);
    press();
    run_frame(0.5);
    complete_banner();
    run_frame(0.1);
    EXPECT_EQ(game.clear_button_state, ClearHover);
    for (int k = 0; k < 5; ++k) run_frame(0.1);
    EXPECT_EQ(game.clear_button_state, ClearHover);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Clear);
}

TEST_F(ClearScene, PlayAgainReadsTheRecordsBeforeSettingUpTheSameMode) {
    records_file_present = true;
    records_file_best[0] = 75;
    records_file_best[1] = 200;
    game.best_seconds[0] = 75.9;
    game.scatter_seconds = 2.5;
    complete_banner();
    move_logical(448, 600);
    run_frame();
    ASSERT_EQ(game.clear_button_state, ClearHover);
    press();
    run_frame();
    EXPECT_EQ(game.clear_button_state, ClearPressed);
    EXPECT_EQ(game.press_consumed, 1);
    sound_log.clear();
    release();
    run_frame();

    ASSERT_EQ(record_log.size(), 1u);
    const RecordCall& load = record_log[0];
    EXPECT_EQ(load.name, "load_records");
    EXPECT_EQ(load.scene, Scatter);         // the scene was already changed
    EXPECT_EQ(load.scatter_seconds, 0);     // and the scatter clock reset
    EXPECT_EQ(load.pieces_left, 0);         // but the new game not yet set up
    EXPECT_EQ(load.sounds_before, 0u);      // nor announced
    EXPECT_EQ(load.new_record, 1);

    EXPECT_EQ(game.current_scene, Scatter);
    EXPECT_EQ(game.puzzle_mode, Municipality);
    EXPECT_EQ(game.pieces_left, 63);
    EXPECT_EQ(game.clear_button_state, ClearIdle);
    EXPECT_EQ(game.new_record, 0);
    EXPECT_EQ(game.best_seconds[0], 75);  // what the file holds
    EXPECT_EQ(game.best_seconds[1], 200);
    EXPECT_EQ(sound_log, std::vector<std::int32_t>{GameStart});
    for (const PieceRecord& piece : game.municipality_pieces) EXPECT_EQ(piece.state, Loose);
}

TEST_F(ClearScene, PressedThenSlidOffDoesNothing) {
    complete_banner();
    move_logical(576, 664);  // the far corner counts
    run_frame();
    press();
    run_frame();
    ASSERT_EQ(game.clear_button_state, ClearPressed);
    move_logical(577, 664);
    run_frame();
    EXPECT_EQ(game.clear_button_state, ClearIdle);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Clear);
    EXPECT_TRUE(record_log.empty());
}

TEST_F(ClearScene, ReleaseInTheUpdateThatLeavesStillPlaysAgain) {
    complete_banner();
    move_logical(500, 630);
    run_frame();
    press();
    run_frame();
    move_logical(10, 10);
    release();
    run_frame();
    EXPECT_EQ(game.current_scene, Scatter);
}

TEST_F(ClearScene, EscapeGoesToTheTitleAndKeepsTheClearState) {
    complete_banner();
    const double width = game.banner_width;
    escape();
    EXPECT_EQ(game.current_scene, Title);
    EXPECT_EQ(game.banner_width, width);
    for (const PieceRecord& piece : game.municipality_pieces) EXPECT_EQ(piece.state, Loose);
}

}  // namespace
