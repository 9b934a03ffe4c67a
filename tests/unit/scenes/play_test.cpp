// The Play scene: the search under the pointer, picking up, dragging,
// dropping, completion and the best time, the clamp and the info panel.

#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/sound_stage.h"
#include "scenes/scenes.h"
#include "test_support.h"

namespace {

// Above the scatter band nothing loose lies after a municipality scatter
// (the tallest piece's top edge stays below row 394), so pieces put here are
// alone under the pointer.
constexpr double kFreeX = 150, kFreeY = 150;

class PlayScene : public ::testing::Test {
protected:
    void enter(PuzzleMode mode) {
        start_game_state();
        std::srand(4242);
        start_from_title(mode);
        ASSERT_TRUE(scatter_until_play());
        sound_log.clear();
    }
    void SetUp() override { enter(Municipality); }

    PieceRecord& piece(int i) { return current_pieces()[i]; }

    // Puts piece i with its centre on (x, y).
    void centre_piece_at(int i, double x, double y) {
        piece(i).x = x - piece(i).width / 2;
        piece(i).y = y - piece(i).height / 2;
    }

    // Piece i alone at the free spot, then pointed at and picked up.
    void pick_up_alone(int i) {
        centre_piece_at(i, kFreeX, kFreeY);
        move_logical(kFreeX, kFreeY);
        run_frame();
        ASSERT_EQ(game.drag_phase, DragPhase::Hover);
        ASSERT_EQ(game.active_piece, i);
        press();
        run_frame();
        ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
    }

    double home_centre_x(int i) { return piece(i).home_x + piece(i).width / 2; }
    double home_centre_y(int i) { return piece(i).home_y + piece(i).height / 2; }

    void drop_at(double x, double y) {
        move_logical(x, y);
        run_frame();
        release();
        run_frame();
    }

    // The drop in a frame of no time, with the clock at `clock` for it.
    void drop_with_clock_at(double x, double y, double clock) {
        move_logical(x, y);
        run_frame();
        game.play_seconds = clock;
        release();
        run_frame(0);
    }

    // Every piece but `last` already placed.
    void leave_only(int last) {
        for (int i = 0; i < current_count(); ++i) {
            if (i == last) continue;
            piece(i).state = Placed;
            piece(i).x = piece(i).home_x;
            piece(i).y = piece(i).home_y;
        }
        game.pieces_left = 1;
    }
};

TEST_F(PlayScene, StackedPiecesComeToTheFrontReversedAndTheDeepestIsTheCandidate) {
    centre_piece_at(3, kFreeX, kFreeY);
    centre_piece_at(7, kFreeX + 5, kFreeY);
    centre_piece_at(9, kFreeX, kFreeY + 5);
    std::int32_t* order = game.municipality_order;
    for (int p = 0; p < kMunicipalityPieces; ++p) order[p] = p;
    move_logical(kFreeX, kFreeY);
    run_frame();
    EXPECT_EQ(game.drag_phase, DragPhase::Hover);
    EXPECT_EQ(game.active_piece, 9);
    const std::int32_t first[] = {9, 7, 3, 0, 1, 2, 4, 5, 6, 8, 10, 11};
    for (int p = 0; p < 12; ++p) EXPECT_EQ(order[p], first[p]) << p;

    move_logical(kFreeX, 300);  // off the stack: back to Idle
    run_frame();
    EXPECT_EQ(game.drag_phase, DragPhase::Idle);
    EXPECT_EQ(game.active_piece, NO_PIECE);
    run_frame();
    move_logical(kFreeX, kFreeY);
    run_frame();
    EXPECT_EQ(game.active_piece, 3);
    EXPECT_EQ(order[0], 3);
    EXPECT_EQ(order[1], 7);
    EXPECT_EQ(order[2], 9);
    EXPECT_EQ(order[3], 0);
}

TEST_F(PlayScene, APressInTheFrameThePointerArrivesDoesNotPickUp) {
    centre_piece_at(5, kFreeX, kFreeY);
    move_logical(kFreeX, kFreeY);
    press();
    run_frame();
    EXPECT_EQ(game.drag_phase, DragPhase::Hover);
    run_frame();
    run_frame();
    EXPECT_EQ(game.drag_phase, DragPhase::Hover);
    EXPECT_EQ(piece(5).state, Loose);
    EXPECT_TRUE(sound_log.empty());
    release();
    run_frame();
    press();
    run_frame();
    EXPECT_EQ(game.drag_phase, DragPhase::Dragging);
    EXPECT_EQ(piece(5).state, Held);
    EXPECT_EQ(sound_log, std::vector<std::int32_t>{PickUp});
}

TEST_F(PlayScene, HeldPieceIsCentredOnThePointer) {
    pick_up_alone(2);
    move_logical(400.25, 333);
    run_frame();
    EXPECT_EQ(piece(2).x, 400.25 - piece(2).width / 2);
    EXPECT_EQ(piece(2).y, 333 - piece(2).height / 2);
}

TEST_F(PlayScene, DropWithinTenPixelsOnBothAxesSnapsHome) {
    pick_up_alone(0);
    drop_at(home_centre_x(0) + 10, home_centre_y(0) - 10);
    EXPECT_EQ(piece(0).state, Placed);
    EXPECT_EQ(piece(0).x, piece(0).home_x);
    EXPECT_EQ(piece(0).y, piece(0).home_y);
    EXPECT_EQ(game.drag_phase, DragPhase::Idle);
    EXPECT_EQ(game.pieces_left, 62);
    EXPECT_EQ(game.municipality_order[kMunicipalityPieces - 1], 0);
    EXPECT_EQ(sound_log, (std::vector<std::int32_t>{PickUp, DropPlaced}));
}

TEST_F(PlayScene, DropTenAndAHalfPixelsOffStaysLooseAsTheCandidate) {
    pick_up_alone(0);
    drop_at(home_centre_x(0) - 10.5, home_centre_y(0));
    EXPECT_EQ(piece(0).state, Loose);
    EXPECT_EQ(piece(0).x, home_centre_x(0) - 10.5 - piece(0).width / 2);
    EXPECT_EQ(game.drag_phase, DragPhase::Hover);
    EXPECT_EQ(game.active_piece, 0);
    EXPECT_EQ(game.pieces_left, 63);
    EXPECT_EQ(sound_log, (std::vector<std::int32_t>{PickUp, DropLoose}));
    // Still the candidate: a new press picks it up without a search.
    press();
    run_frame();
    EXPECT_EQ(piece(0).state, Held);
}

TEST_F(PlayScene, DropToleranceScalesWithTheWindow) {
    set_outer_window(2066, 1580);
    pick_up_alone(14);
    drop_at(home_centre_x(14) - 10, home_centre_y(14) + 10);
    EXPECT_EQ(piece(14).state, Placed);
    pick_up_alone(15);
    drop_at(home_centre_x(15), home_centre_y(15) + 10.5);
    EXPECT_EQ(piece(15).state, Loose);
}

// A finger reaches 24 device-independent pixels beyond what it touches:
// at a scale of 1 that is 24 logical pixels, at 0.38 (an upright phone)
// over 63; the mouse keeps the exact rectangles.
class TouchPlay : public PlayScene {
protected:
    void SetUp() override {
        enter(Mascot);
        game.window_scale = 1;
    }
    double right_edge(int i) { return piece(i).x + piece(i).width; }
    // The pointer at (x, y), by finger or by mouse, then a frame.
    void point(double x, double y, bool finger) {
        game.pointer_is_touch = finger ? 1 : 0;
        move_logical(x, y);
        run_frame();
    }
    // Piece i alone at the free spot, picked up by a finger `gap` beside it.
    void pick_up_by_finger(int i, double gap = 20) {
        centre_piece_at(i, kFreeX, kFreeY);
        point(right_edge(i) + gap, kFreeY, true);
        ASSERT_EQ(game.active_piece, i);
        press();
        run_frame();
        ASSERT_EQ(piece(i).state, Held);
    }
    void drop_by(bool finger, double x, double y) {
        point(x, y, finger);
        release();
        run_frame();
    }
};

TEST_F(TouchPlay, AFingerBesideASmallPieceTakesItAndTheMouseDoesNot) {
    ASSERT_LE(piece(12).width, 48);
    centre_piece_at(12, kFreeX, kFreeY);
    point(right_edge(12) + 20, kFreeY, false);
    EXPECT_EQ(game.drag_phase, DragPhase::Idle);
    press();
    run_frame();
    EXPECT_EQ(game.active_piece, NO_PIECE);
    EXPECT_EQ(piece(12).state, Loose);
    release();
    run_frame();

    point(right_edge(12) + 20, kFreeY, true);
    EXPECT_EQ(game.drag_phase, DragPhase::Hover);
    EXPECT_EQ(game.active_piece, 12);
    EXPECT_EQ(game.mascot_order[0], 12);
    run_frame();  // the finger rests: still the candidate
    EXPECT_EQ(game.active_piece, 12);
    press();
    run_frame();
    EXPECT_EQ(piece(12).state, Held);
    EXPECT_EQ(sound_log, std::vector<std::int32_t>{PickUp});
}

// A finger's touch and press come together; a mouse has pointed first.
TEST_F(TouchPlay, AFingersPressWithItsFirstTouchTakesThePieceAMousesOnlyPoints) {
    centre_piece_at(12, kFreeX, kFreeY);
    game.pointer_is_touch = 0;
    move_logical(kFreeX, kFreeY);
    press();
    run_frame();
    EXPECT_EQ(game.active_piece, 12);
    EXPECT_EQ(piece(12).state, Loose);
    release();
    point(kFreeX + 300, kFreeY, false);
    ASSERT_EQ(game.active_piece, NO_PIECE);

    game.pointer_is_touch = 1;
    move_logical(right_edge(12) + 20, kFreeY);
    press();
    run_frame();
    EXPECT_EQ(piece(12).state, Held);
    EXPECT_EQ(game.drag_phase, DragPhase::Dragging);
}

TEST_F(TouchPlay, NothingBeyondTheReachAndTheReachFollowsTheScale) {
    centre_piece_at(12, kFreeX, kFreeY);
    point(right_edge(12) + 24.5, kFreeY, true);
    EXPECT_EQ(game.active_piece, NO_PIECE);
    // Diagonally 20 and 20 off the corner is 28 away.
    point(right_edge(12) + 20, piece(12).y - 20, true);
    EXPECT_EQ(game.active_piece, NO_PIECE);
    press();
    run_frame();
    EXPECT_EQ(piece(12).state, Loose);
    release();
    run_frame();

    game.window_scale = 0.38;  // 24 / 0.38 = 63.2 logical pixels
    point(right_edge(12) + 63, kFreeY, true);
    EXPECT_EQ(game.active_piece, 12);
    point(right_edge(12) + 64, kFreeY, true);  // the candidate is let go
    EXPECT_EQ(game.active_piece, NO_PIECE);
    run_frame();
    EXPECT_EQ(game.active_piece, NO_PIECE);
}

TEST_F(TouchPlay, TheNearestOfTwoWinsAndAPieceUnderTheFingerWinsOverBoth) {
    centre_piece_at(12, kFreeX, kFreeY);
    centre_piece_at(13, kFreeX + 120, kFreeY);
    centre_piece_at(14, kFreeX + 60, kFreeY + 200);
    // 12 in front: nearness, not the order, decides.
    point(right_edge(12) + 18, kFreeY, true);  // 18 from 12
    EXPECT_EQ(game.active_piece, 12);
    point(piece(13).x - 15, kFreeY, true);  // 15 from 13, further from 12
    EXPECT_EQ(game.active_piece, NO_PIECE);  // let go as a mouse lets go
    run_frame();
    EXPECT_EQ(game.active_piece, 13);
    EXPECT_EQ(game.mascot_order[0], 13);
    // A finger on a piece takes it as the mouse does, however near the others.
    centre_piece_at(14, piece(13).x - 15, kFreeY);
    run_frame();
    EXPECT_EQ(game.active_piece, NO_PIECE);
    run_frame();
    EXPECT_EQ(game.active_piece, 14);
}

TEST_F(TouchPlay, AFingerSnapsWithinItsReachTheMouseWithinTen) {
    pick_up_by_finger(20);
    drop_by(false, home_centre_x(20) + 20, home_centre_y(20) - 20);
    EXPECT_EQ(piece(20).state, Loose);
    press();
    run_frame();
    ASSERT_EQ(piece(20).state, Held);
    drop_by(true, home_centre_x(20) + 20, home_centre_y(20) - 20);
    EXPECT_EQ(piece(20).state, Placed);
    EXPECT_EQ(piece(20).x, piece(20).home_x);

    pick_up_by_finger(21);
    drop_by(true, home_centre_x(21) + 24.5, home_centre_y(21));
    EXPECT_EQ(piece(21).state, Loose);

    game.window_scale = 0.38;
    press();
    run_frame();
    drop_by(true, home_centre_x(21) - 60, home_centre_y(21) + 60);
    EXPECT_EQ(piece(21).state, Placed);

    // Drawn large the reach is 6 logical pixels: ten still hold.
    game.window_scale = 4;
    pick_up_by_finger(22, 5);
    drop_by(true, home_centre_x(22) + 10, home_centre_y(22));
    EXPECT_EQ(piece(22).state, Placed);
    pick_up_by_finger(23, 5);
    drop_by(true, home_centre_x(23) + 10.5, home_centre_y(23));
    EXPECT_EQ(piece(23).state, Loose);
    EXPECT_EQ(sound_log, (std::vector<std::int32_t>{PickUp, DropLoose, PickUp, DropPlaced, PickUp, DropLoose, PickUp,
                                                    DropPlaced, PickUp, DropPlaced, PickUp, DropLoose}));
}

TEST_F(PlayScene, CorrectDropSendsThePieceToTheBackAndMovesTheRestForward) {
    pick_up_alone(6);
    std::int32_t before[kMunicipalityPieces];
    for (int p = 0; p < kMunicipalityPieces; ++p) before[p] = game.municipality_order[p];
    ASSERT_EQ(before[0], 6);
    drop_at(home_centre_x(6), home_centre_y(6));
    for (int p = 0; p + 1 < kMunicipalityPieces; ++p) EXPECT_EQ(game.municipality_order[p], before[p + 1]);
    EXPECT_EQ(game.municipality_order[kMunicipalityPieces - 1], 6);
}

TEST_F(PlayScene, PlacedPiecesAreNotFoundAgain) {
    pick_up_alone(6);
    drop_at(home_centre_x(6), home_centre_y(6));
    move_logical(home_centre_x(6), home_centre_y(6));
    run_frame();
    run_frame();
    EXPECT_NE(game.active_piece, 6);
}

TEST_F(PlayScene, LastPiecePlaysOnlyCompletionAndEntersClear) {
    leave_only(11);
    game.clear_button_state = ClearPressed;
    game.clear_delay = -3;
    game.banner_width = 700;
    pick_up_alone(11);
    drop_with_clock_at(home_centre_x(11), home_centre_y(11), 75.9);
    EXPECT_EQ(game.current_scene, Clear);
    EXPECT_EQ(game.pieces_left, 0);
    EXPECT_EQ(sound_log, (std::vector<std::int32_t>{PickUp, PuzzleComplete}));
    EXPECT_EQ(game.clear_delay, 1.0);
    EXPECT_EQ(game.banner_width, 0);
    EXPECT_EQ(game.clear_button_state, ClearIdle);
    EXPECT_EQ(game.new_record, 1);
    EXPECT_EQ(game.best_seconds[Municipality], 75.9);
    EXPECT_EQ(game.best_seconds[Mascot], 3599);
    ASSERT_EQ(record_log.size(), 1u);
    EXPECT_EQ(record_log[0].name, "save_records");
    EXPECT_EQ(record_log[0].best[0], 75.9);  // stored before writing
    EXPECT_EQ(game.play_seconds, 75.9);
}

struct RecordCase {
    double play, best;
    bool record;
};

class BestTime : public PlayScene, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(BestTime, ComparesWholeSecondsAndStoresTheFullTime) {
    enter(Mascot);
    const RecordCase c = GetParam();
    game.best_seconds[Mascot] = c.best;
    game.best_seconds[Municipality] = 10;
    leave_only(40);
    pick_up_alone(40);
    drop_with_clock_at(home_centre_x(40), home_centre_y(40), c.play);
    ASSERT_EQ(game.current_scene, Clear);
    EXPECT_EQ(game.new_record, c.record ? 1 : 0);
    EXPECT_EQ(game.best_seconds[Mascot], c.record ? c.play : c.best);
    EXPECT_EQ(game.best_seconds[Municipality], 10);
    EXPECT_EQ(record_log.size(), c.record ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(WholeSeconds, BestTime,
                         ::testing::Values(RecordCase{61.9, 61, false}, RecordCase{60.9, 61, true},
                                           RecordCase{3599.4, 3599, false}, RecordCase{3598.99, 3599, true},
                                           RecordCase{61.0, 61.7, false}, RecordCase{0.5, 3599, true}));

TEST_F(PlayScene, CompletionFrameStillClampsAndAnimates) {
    leave_only(11);
    pick_up_alone(11);
    // A placed piece shoved off screen: the completing frame's clamp brings it back.
    piece(20).x = 5000;
    drop_at(home_centre_x(11), home_centre_y(11));
    ASSERT_EQ(game.current_scene, Clear);
    EXPECT_EQ(piece(20).x, 1024 - piece(20).width / 2 - 4);
}

TEST_F(PlayScene, DraggedPieceStopsFourPixelsInsideTheEdgesButTheDropUsesThePointer) {
    pick_up_alone(1);
    move_client(3000, 3000);
    run_frame();
    EXPECT_EQ(piece(1).x + piece(1).width / 2, 1020);
    EXPECT_EQ(piece(1).y + piece(1).height / 2, 764);
    move_client(0, 0);
    run_frame();
    EXPECT_EQ(piece(1).x + piece(1).width / 2, 4);
    EXPECT_EQ(piece(1).y + piece(1).height / 2, 4);
    // Home centre is far from the corner: a wrong drop, although the clamp
    // moved the piece.
    release();
    run_frame();
    EXPECT_EQ(piece(1).state, Loose);
}

TEST_F(PlayScene, ClockRunsWhileHoldingAndStopsWhileInactive) {
    const double start = game.play_seconds;
    pick_up_alone(2);
    run_frame(0.5);
    EXPECT_DOUBLE_EQ(game.play_seconds, start + 2.0 / 60 + 0.5);
    game.window_active = 0;
    run_frame(10);
    EXPECT_DOUBLE_EQ(game.play_seconds, start + 2.0 / 60 + 0.5);
}

TEST_F(PlayScene, MunicipalityPanelSlidesInThenUncoversTheLinesInTheSameFrame) {
    pick_up_alone(4);  // the pick-up frame already animates once
    EXPECT_EQ(game.muni_name_label.state, Entering);
    EXPECT_DOUBLE_EQ(game.muni_name_label.y, -24 + 128.0 / 60);
    EXPECT_DOUBLE_EQ(game.muni_reading_label.y, -48 + 128.0 / 60);
    // Put both at a clean start and step in sixteenths of a second.
    game.muni_name_label.y = -24;
    game.muni_reading_label.y = -48;
    for (int k = 0; k < 7; ++k) run_frame(0.0625);
    EXPECT_EQ(game.muni_name_label.y, 32);  // arrived but not past: still entering
    EXPECT_EQ(game.muni_name_label.state, Entering);
    EXPECT_EQ(game.muni_region_label.state, Hidden);
    run_frame(0.0625);
    EXPECT_EQ(game.muni_name_label.state, Shown);
    EXPECT_EQ(game.muni_name_label.y, 32);
    EXPECT_EQ(game.muni_reading_label.state, Shown);
    EXPECT_EQ(game.muni_reading_label.y, 8);
    EXPECT_EQ(game.muni_region_label.state, Entering);
    EXPECT_EQ(game.muni_region_label.width, 31.25);  // started and advanced at once
    EXPECT_EQ(game.muni_remark_label.width, 31.25);
    run_frame(0.6);
    EXPECT_EQ(game.muni_region_label.state, Shown);
    EXPECT_EQ(game.muni_region_label.width, 300);
    EXPECT_EQ(game.muni_remark_label.width, 300);
    EXPECT_EQ(game.muni_population_label.state, Hidden);  // never changes state

    drop_at(kFreeX, kFreeY);  // wrong drop: every label of the mode hides
    EXPECT_EQ(game.muni_name_label.state, Hidden);
    EXPECT_EQ(game.muni_reading_label.state, Hidden);
    EXPECT_EQ(game.muni_region_label.state, Hidden);
    EXPECT_EQ(game.muni_remark_label.state, Hidden);
    press();
    run_frame(0);
    EXPECT_EQ(game.muni_name_label.state, Entering);
    EXPECT_EQ(game.muni_name_label.y, -24);
}

TEST_F(PlayScene, MascotLinesChainOneAfterAnother) {
    enter(Mascot);
    pick_up_alone(30);
    EXPECT_EQ(game.mascot_name_label.state, Entering);
    EXPECT_EQ(game.muni_name_label.state, Hidden);
    run_frame(0.25);  // -24 + 128/60 + 32 > 8
    EXPECT_EQ(game.mascot_name_label.state, Shown);
    EXPECT_EQ(game.mascot_name_label.y, 8);
    EXPECT_EQ(game.mascot_affiliation_label.width, 125);
    EXPECT_EQ(game.mascot_line_labels[0].width, 125);
    EXPECT_EQ(game.mascot_line_labels[1].state, Hidden);
    run_frame(0.27);  // line 1 to 260 > 256: shown, line 2 starts and takes 135
    EXPECT_EQ(game.mascot_line_labels[0].state, Shown);
    EXPECT_EQ(game.mascot_line_labels[0].width, 256);
    EXPECT_EQ(game.mascot_affiliation_label.state, Entering);  // 260, not past 300
    EXPECT_EQ(game.mascot_line_labels[1].state, Entering);
    EXPECT_EQ(game.mascot_line_labels[1].width, 135);
    run_frame(10);  // one long frame runs the whole chain to the end
    for (int line = 0; line < kMascotLines; ++line) {
        EXPECT_EQ(game.mascot_line_labels[line].state, Shown) << line;
        EXPECT_EQ(game.mascot_line_labels[line].width, 256) << line;
    }
    EXPECT_EQ(game.mascot_affiliation_label.width, 300);
    drop_at(kFreeX, kFreeY);
    EXPECT_EQ(game.mascot_affiliation_label.state, Hidden);
    for (const InfoLabel& line : game.mascot_line_labels) EXPECT_EQ(line.state, Hidden);
}

TEST_F(PlayScene, ClampKeepsEveryCentreFourPixelsInside) {
    piece(8).x = -1000;
    piece(8).y = -1000;
    piece(9).x = 1e6;
    piece(9).y = 1e6;
    piece(10).state = Placed;
    piece(10).x = -1e9;
    clamp_pieces();
    EXPECT_EQ(piece(8).x, 4 - piece(8).width / 2);
    EXPECT_EQ(piece(8).y, 4 - piece(8).height / 2);
    EXPECT_EQ(piece(9).x, 1020 - piece(9).width / 2);
    EXPECT_EQ(piece(9).y, 764 - piece(9).height / 2);
    EXPECT_EQ(piece(10).x, 4 - piece(10).width / 2);
    // The other set is left alone.
    game.mascot_pieces[0].x = -1000;
    clamp_pieces();
    EXPECT_EQ(game.mascot_pieces[0].x, -1000);
}

}  // namespace
