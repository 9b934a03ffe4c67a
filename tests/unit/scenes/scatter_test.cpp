// A new game's scatter targets and the flight of the pieces to them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "scenes/scenes.h"
#include "test_support.h"

namespace {

class Scatter : public ::testing::Test {
protected:
    void SetUp() override {
        start_game_state();
        std::srand(12345);
    }
};

TEST_F(Scatter, MunicipalityPiecesAreCentredOnCellsOfTheSixtyThreeCellGrid) {
    game.puzzle_mode = Municipality;
    setup_new_game();
    EXPECT_EQ(game.pieces_left, 63);
    std::set<int> cells;
    for (int i = 0; i < kMunicipalityPieces; ++i) {
        const PieceRecord& piece = game.municipality_pieces[i];
        const double centre_x = piece.scatter_x + piece.width / 2;
        const double centre_y = piece.scatter_y + piece.height / 2;
        const int column = static_cast<int>((centre_x - 32) / 64);
        const int row = static_cast<int>((centre_y - 548) / 68);
        EXPECT_EQ(centre_x, column * 64 + 32) << i;
        EXPECT_EQ(centre_y, row * 68 + 548) << i;
        const int cell = row * 16 + column;
        EXPECT_GE(cell, 0);
        EXPECT_LT(cell, 63);  // the last row has columns 0 to 14 only
        cells.insert(cell);
        EXPECT_EQ(piece.x, piece.home_x);  // the flight starts from home
    }
    EXPECT_LT(cells.size(), 63u);  // independent draws: some cells shared
}

TEST_F(Scatter, MunicipalityCellsComeFromOneDrawPerPieceInIndexOrder) {
    std::srand(777);
    int expected[kMunicipalityPieces];
    for (int& cell : expected) cell = std::rand() % 63;
    std::srand(777);
    game.puzzle_mode = Municipality;
    setup_new_game();
    for (int i = 0; i < kMunicipalityPieces; ++i) {
        const PieceRecord& piece = game.municipality_pieces[i];
        EXPECT_EQ(piece.scatter_x, (expected[i] % 16) * 64 + 32 - piece.width / 2) << i;
        EXPECT_EQ(piece.scatter_y, (expected[i] / 16) * 68 + 548 - piece.height / 2) << i;
    }
}

TEST_F(Scatter, MascotsGetNinetyFiveDistinctCellsAndTheMapStaysSolved) {
    game.puzzle_mode = Mascot;
    for (int round = 0; round < 20; ++round) {
        setup_new_game();
        EXPECT_EQ(game.pieces_left, 95);
        std::set<std::pair<double, double>> targets;
        for (int i = 0; i < kMascotPieces; ++i) {
            const PieceRecord& piece = game.mascot_pieces[i];
            const int column = static_cast<int>(piece.scatter_x - 40) / 48;
            const int row = static_cast<int>(piece.scatter_y - 568) / 40;
            EXPECT_EQ(piece.scatter_x, column * 48 + 40);
            EXPECT_EQ(piece.scatter_y, row * 40 + 568);
            EXPECT_TRUE(column >= 0 && column < 20 && row >= 0 && row < 5);
            targets.insert({piece.scatter_x, piece.scatter_y});
        }
        EXPECT_EQ(targets.size(), 95u);
    }
    for (int i = 0; i < kMunicipalityPieces; ++i) {
        EXPECT_EQ(game.municipality_pieces[i].x, game.municipality_pieces[i].home_x);
        EXPECT_EQ(game.municipality_pieces[i].state, Loose);
    }
}

TEST_F(Scatter, MascotCellDrawsColumnFirstThenRow) {
    std::srand(99);
    const int column = std::rand() % 20;
    const int row = std::rand() % 5;
    std::srand(99);
    game.puzzle_mode = Mascot;
    setup_new_game();
    EXPECT_EQ(game.mascot_pieces[0].scatter_x, column * 48 + 40);
    EXPECT_EQ(game.mascot_pieces[0].scatter_y, row * 40 + 568);
}

TEST_F(Scatter, LastsUntilTheClockExceedsTwoSecondsThenEveryPieceIsOnTarget) {
    start_from_title(Municipality);
    ASSERT_EQ(game.current_scene, ::Scatter);
    run_frame(0.5);
    run_frame(0.5);
    run_frame(0.5);
    run_frame(0.5);
    EXPECT_EQ(game.scatter_seconds, 2.0);
    EXPECT_EQ(game.current_scene, ::Scatter);  // exactly 2.0 is not over
    game.play_seconds = 42;
    game.drag_phase = DragPhase::Dragging;
    // Knock a piece far off its course: the end still lands it on target.
    game.municipality_pieces[3].x = -500;
    run_frame(0.001);
    EXPECT_EQ(game.current_scene, Play);
    EXPECT_EQ(game.play_seconds, 0);
    EXPECT_EQ(game.drag_phase, DragPhase::Idle);
    for (int i = 0; i < kMunicipalityPieces; ++i) {
        EXPECT_EQ(game.municipality_pieces[i].x, game.municipality_pieces[i].scatter_x) << i;
        EXPECT_EQ(game.municipality_pieces[i].y, game.municipality_pieces[i].scatter_y) << i;
        EXPECT_EQ(game.municipality_pieces[i].state, Loose);
    }
}

TEST_F(Scatter, PiecesFlyAtEightHundredPixelsPerSecondAlongTheLongerAxisFirst) {
    game.current_scene = ::Scatter;
    game.puzzle_mode = Mascot;
    for (int i = 0; i < kMascotPieces; ++i) {
        game.mascot_pieces[i].scatter_x = game.mascot_pieces[i].x;
        game.mascot_pieces[i].scatter_y = game.mascot_pieces[i].y;
    }
    PieceRecord& piece = game.mascot_pieces[0];
    piece.x = 100;
    piece.y = 100;
    piece.scatter_x = 400;  // dx 300, dy 400: d = 250000
    piece.scatter_y = 500;
    run_frame(0.01);
    EXPECT_DOUBLE_EQ(piece.x, 100 + 90000.0 / 250000 * 8);
    // y moves with the distance measured after x has moved.
    const double dx = 400 - piece.x;
    EXPECT_DOUBLE_EQ(piece.y, 100 + 160000.0 / (dx * dx + 160000.0) * 8);
    // A piece already on its target neither moves nor snaps.
    EXPECT_EQ(game.mascot_pieces[1].x, game.mascot_pieces[1].scatter_x);
}

TEST_F(Scatter, OvershootIsAnsweredByAStepBackInTheSameFrame) {
    game.current_scene = ::Scatter;
    game.puzzle_mode = Mascot;
    PieceRecord& piece = game.mascot_pieces[0];
    piece.x = 100;
    piece.y = 200;
    piece.scatter_x = 150;  // along x only
    piece.scatter_y = 200;
    run_frame(0.1);  // 80 forward to 180, 30 past; then 80 back from there
    EXPECT_DOUBLE_EQ(piece.x, 100);
    piece.x = 140;
    run_frame(0.1);  // 80 forward to 220, 80 back to 140: 10 away, so it snaps
    EXPECT_EQ(piece.x, 150);
    EXPECT_EQ(piece.y, 200);
}

TEST_F(Scatter, SnapsWhenTheSquaredDistanceIsAtMost144) {
    game.current_scene = ::Scatter;
    game.puzzle_mode = Mascot;
    PieceRecord& piece = game.mascot_pieces[0];
    piece.scatter_x = 300;
    piece.scatter_y = 600;
    piece.x = 300 - 12;  // exactly 12 away
    piece.y = 600;
    run_frame(0);
    EXPECT_EQ(piece.x, 300);
    piece.x = 300;
    piece.y = 600 + 12.5;
    run_frame(0);
    EXPECT_EQ(piece.y, 612.5);
}

TEST_F(Scatter, VanishingDistanceNeverTurnsIntoNotANumber) {
    game.current_scene = ::Scatter;
    game.puzzle_mode = Mascot;
    PieceRecord& piece = game.mascot_pieces[0];
    piece.scatter_x = 1e-200;  // the squares underflow to 0
    piece.scatter_y = 0;
    piece.x = 0;
    piece.y = 0;
    run_frame(0.1);
    EXPECT_EQ(piece.x, 1e-200);
    EXPECT_EQ(piece.y, 0);
}

}  // namespace
