// Whole games through the real shell, headless: window messages in, frames
// out, from the title to the clear screen and on into a new game, with the
// record file the game leaves behind.
#include <gtest/gtest.h>

#include <cmath>

#include "state/game_state.h"
#include "scenes/piece_set.h"
#include "support/game_harness.h"

namespace {

using harness::click_at;
using harness::point_at;

// Picks up whichever loose piece becomes the candidate and drops it home.
// Returns false if no candidate could be found.
bool place_one_piece() {
    const PieceRecord* pieces = current_piece_set().pieces;
    for (int i = 0; i < current_piece_set().count; ++i) {
        if (pieces[i].state != Loose) continue;
        point_at(pieces[i].x + pieces[i].width / 2, pieces[i].y + pieces[i].height / 2);
        if (game.drag_phase != DragPhase::Hover) continue;
        int held = game.active_piece;
        harness::press();
        harness::frame();
        if (game.drag_phase != DragPhase::Dragging) return false;
        const PieceRecord& p = pieces[held];
        point_at(p.home_x + p.width / 2, p.home_y + p.height / 2);
        harness::release();
        harness::frame();
        return pieces[held].state == Placed;
    }
    return false;
}

class WholeGame : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_TRUE(harness::start_game(7)); }
    void TearDown() override { harness::stop_game(); }
};

TEST_P(WholeGame, FromTheTitleToTheClearScreenAndIntoANewGame) {
    const int mode = GetParam();
    ASSERT_TRUE(harness::record_file_bytes().empty());
    harness::wait_ms(300);  // the first pacing windows open the update gate
    ASSERT_EQ(game.current_scene, Title);

    click_at(mode == Mascot ? 640 : 384, 632);
    ASSERT_EQ(game.current_scene, Scatter);
    EXPECT_EQ(game.puzzle_mode, mode);
    harness::wait_ms(2100);
    ASSERT_EQ(game.current_scene, Play);

    int placed = 0;
    const PieceSet set = current_piece_set();
    while (game.current_scene == Play && placed < set.count) {
        ASSERT_TRUE(place_one_piece()) << "piece " << placed;
        ++placed;
    }
    EXPECT_EQ(placed, set.count);
    ASSERT_EQ(game.current_scene, Clear);
    EXPECT_EQ(game.pieces_left, 0);
    EXPECT_EQ(game.new_record, 1);
    const double finished = game.play_seconds;
    EXPECT_DOUBLE_EQ(game.best_seconds[mode], finished);

    // The record file holds the whole minutes and seconds of the new best;
    // the other mode keeps "no record", 59:59.
    auto bytes = harness::record_file_bytes();
    ASSERT_EQ(bytes.size(), 4u);
    const int whole = static_cast<int>(finished);
    EXPECT_EQ(bytes[2 * mode], whole / 60);
    EXPECT_EQ(bytes[2 * mode + 1], whole % 60);
    EXPECT_EQ(bytes[2 * (1 - mode)], 59);
    EXPECT_EQ(bytes[2 * (1 - mode) + 1], 59);

    // The play-again button appears once the banner is complete.
    point_at(512, 632);
    EXPECT_EQ(game.clear_button_state, ClearIdle);
    harness::wait_ms(2500);
    click_at(512, 632);
    ASSERT_EQ(game.current_scene, Scatter);
    EXPECT_EQ(game.puzzle_mode, mode);
    EXPECT_EQ(game.new_record, 0);
    // Play again read the record file back: whole seconds now.
    EXPECT_DOUBLE_EQ(game.best_seconds[mode], whole);

    // Escape returns to the title with every piece at home.
    harness::escape();
    harness::frame();
    EXPECT_EQ(game.current_scene, Title);
    for (int i = 0; i < set.count; ++i) {
        EXPECT_EQ(set.pieces[i].x, set.pieces[i].home_x);
        EXPECT_EQ(set.pieces[i].y, set.pieces[i].home_y);
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, WholeGame, ::testing::Values(static_cast<int>(Municipality), static_cast<int>(Mascot)),
                         [](const auto& info) { return info.param == Mascot ? "Mascot" : "Municipality"; });

TEST(ShellRun, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
    ASSERT_TRUE(harness::start_game());
    harness::wait_ms(200);
    harness::close_window();
    harness::frame();
    EXPECT_FALSE(harness::game_running());
    EXPECT_EQ(harness::exit_code(), 0);
    harness::stop_game();
}

TEST(ShellRun, AnInactiveWindowFreezesTheGameButKeepsDrawing) {
    ASSERT_TRUE(harness::start_game());
    harness::wait_ms(300);
    click_at(384, 632);
    harness::wait_ms(2200);
    ASSERT_EQ(game.current_scene, Play);
    harness::activate(false);
    harness::frame();
    double clock = game.play_seconds;
    harness::wait_ms(1000);
    EXPECT_EQ(game.play_seconds, clock);
    harness::activate(true);
    harness::wait_ms(500);
    EXPECT_GT(game.play_seconds, clock + 0.3);
    harness::stop_game();
}

TEST(ShellRun, AResizedWindowScalesTheMouseMapping) {
    ASSERT_TRUE(harness::start_game());
    harness::wait_ms(300);
    harness::resize(512, 384);
    harness::frame();
    EXPECT_EQ(game.window_width, 512 + 18);
    EXPECT_EQ(game.window_height, 384 + 44);
    // The municipality button's centre, at half the size.
    harness::move(192, 316);
    harness::frame();
    EXPECT_EQ(game.title_button_state, HoverMunicipality);
    EXPECT_EQ(game.window_scale, 0.5);
    harness::stop_game();
}

// The window system marks a finger's mouse events; at half size the finger
// reaches 48 logical pixels beside a piece, and its drop snaps within 48.
TEST(ShellRun, AFingerBesideAPieceTakesItThroughTheWindowSystem) {
    ASSERT_TRUE(harness::start_game());
    harness::wait_ms(300);
    click_at(384, 632);
    harness::wait_ms(2200);
    ASSERT_EQ(game.current_scene, Play);
    harness::resize(512, 384);
    harness::frame();
    PieceRecord& piece = game.municipality_pieces[5];
    piece.x = 150 - piece.width / 2;  // above the scatter band, alone
    piece.y = 150 - piece.height / 2;
    const int beside_x = harness::client_x(piece.x + piece.width + 40);
    harness::touch_move(beside_x, harness::client_y(150));
    harness::frame();
    harness::frame();  // a candidate of the mouse's is let go first
    EXPECT_EQ(game.pointer_is_touch, 1);
    EXPECT_EQ(game.active_piece, 5);
    harness::touch_press();
    harness::frame();
    ASSERT_EQ(piece.state, Held);
    harness::touch_move(harness::client_x(piece.home_x + piece.width / 2 + 40),
                        harness::client_y(piece.home_y + piece.height / 2 - 40));
    harness::frame();
    harness::touch_release();
    harness::frame();
    EXPECT_EQ(piece.state, Placed);
    // The mouse is the mouse again.
    harness::move(beside_x, harness::client_y(150));
    harness::frame();
    EXPECT_EQ(game.pointer_is_touch, 0);
    harness::stop_game();
}

}  // namespace
