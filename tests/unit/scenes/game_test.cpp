// Whole games played through the game state as a player would play them,
// and long random sessions checked against the invariants of the board.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "shell/sound_stage.h"
#include "scenes/scenes.h"
#include "support/game_invariants.h"
#include "test_support.h"

namespace {

bool is_permutation_of_indices(const std::int32_t* order, int count) {
    std::vector<bool> seen(count, false);
    for (int p = 0; p < count; ++p) {
        if (order[p] < 0 || order[p] >= count || seen[order[p]]) return false;
        seen[order[p]] = true;
    }
    return true;
}

// A point of the screen where no loose piece lies during play.
constexpr double kEmptyX = 10, kEmptyY = 10;

// Places whatever candidate the pointer finds over piece k, until k is placed.
void place_piece(int k) {
    PieceRecord* pieces = current_pieces();
    for (int attempt = 0; attempt < 200 && pieces[k].state != Placed; ++attempt) {
        move_logical(pieces[k].x + pieces[k].width / 2, pieces[k].y + pieces[k].height / 2);
        run_frame();
        if (game.drag_phase != DragPhase::Hover) {
            move_logical(kEmptyX, kEmptyY);
            run_frame();
            continue;
        }
        const int candidate = game.active_piece;
        press();
        run_frame();
        ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
        ASSERT_EQ(pieces[candidate].state, Held);
        move_logical(pieces[candidate].home_x + pieces[candidate].width / 2,
                     pieces[candidate].home_y + pieces[candidate].height / 2);
        run_frame();
        release();
        run_frame();
        ASSERT_EQ(pieces[candidate].state, Placed);
    }
    ASSERT_EQ(pieces[k].state, Placed) << "piece " << k;
}

void play_whole_game(PuzzleMode mode, int outer_width, int outer_height) {
    start_game_state();
    install_drawing_fakes();
    set_outer_window(outer_width, outer_height);
    std::srand(2024 + mode);
    start_from_title(mode);
    ASSERT_EQ(game.current_scene, Scatter);
    ASSERT_EQ(game.puzzle_mode, mode);
    ASSERT_TRUE(scatter_until_play());
    const int count = current_count();
    for (int k = 0; k < count && game.current_scene == Play; ++k) {
        place_piece(k);
        if (::testing::Test::HasFatalFailure()) return;
        draw_log.clear();
    }
    ASSERT_EQ(game.current_scene, Clear);
    EXPECT_EQ(game.pieces_left, 0);
    for (int i = 0; i < count; ++i) EXPECT_EQ(current_pieces()[i].state, Placed);
    EXPECT_EQ(std::count(sound_log.begin(), sound_log.end(), PuzzleComplete), 1);
    EXPECT_EQ(std::count(sound_log.begin(), sound_log.end(), DropPlaced), count - 1);
    EXPECT_EQ(std::count(sound_log.begin(), sound_log.end(), PickUp), count);
    EXPECT_EQ(game.new_record, 1);  // against no record at all
    EXPECT_EQ(game.best_seconds[mode], game.play_seconds);
    EXPECT_TRUE(is_permutation_of_indices(order_of_current_set(), count));

    // Wait for the button, then play again: a new scatter of the same mode.
    for (int frame = 0; frame < 400 && game.clear_button_state != ClearHover; ++frame) {
        move_logical(512, 632);
        run_frame();
    }
    ASSERT_EQ(game.clear_button_state, ClearHover);
    press();
    run_frame();
    release();
    sound_log.clear();
    run_frame();
    EXPECT_EQ(game.current_scene, Scatter);
    EXPECT_EQ(game.puzzle_mode, mode);
    EXPECT_EQ(game.pieces_left, count);
    EXPECT_EQ(game.new_record, 0);
    EXPECT_EQ(sound_log, std::vector<std::int32_t>{GameStart});
    for (int i = 0; i < count; ++i) EXPECT_EQ(current_pieces()[i].state, Loose);
    ASSERT_TRUE(scatter_until_play());
}

TEST(ScenesWholeGame, MunicipalityFromTitleToClearAndAgain) { play_whole_game(Municipality, 1042, 812); }
TEST(ScenesWholeGame, MascotFromTitleToClearAndAgain) { play_whole_game(Mascot, 1042, 812); }
TEST(ScenesWholeGame, MunicipalityInADoubledWindow) { play_whole_game(Municipality, 2066, 1580); }
TEST(ScenesWholeGame, MascotInADoubledWindow) { play_whole_game(Mascot, 2066, 1580); }

// ---- random sessions --------------------------------------------------------

void check_invariants(std::uint64_t step) {
    const char* broken = broken_game_invariant();
    ASSERT_FALSE(broken) << "step " << step << ": " << broken;
}

// Frames spent in each scene.
struct SceneVisits {
    long frames[4] = {};
};

SceneVisits random_session(unsigned seed, int steps) {
    SceneVisits visits;
    start_game_state();
    install_drawing_fakes();
    std::srand(seed);
    std::mt19937 random(seed);
    const auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    const int windows[][2] = {{1042, 812}, {2066, 1580}, {1, 1}, {18, 44}, {4000, 3000}, {700, 900}};

    for (int step = 0; step < steps; ++step) {
        // A few window messages, then a frame.
        const int messages = std::uniform_int_distribution<int>(0, 3)(random);
        for (int m = 0; m < messages; ++m) {
            const double r = uniform(0, 1);
            if (r < 0.30) {
                // Somewhere on a piece of the set, or its home, or a button, or anywhere.
                const PieceRecord* pieces = current_pieces();
                const int i = std::uniform_int_distribution<int>(0, current_count() - 1)(random);
                const double pick = uniform(0, 1);
                if (game.drag_phase == DragPhase::Dragging && pick < 0.5) {
                    const PieceRecord& held = pieces[game.active_piece];
                    move_logical(held.home_x + held.width / 2 + uniform(-12, 12),
                                 held.home_y + held.height / 2 + uniform(-12, 12));
                } else if (pick < 0.7) {
                    move_logical(pieces[i].x + uniform(0, pieces[i].width), pieces[i].y + uniform(0, pieces[i].height));
                } else if (pick < 0.85) {
                    move_logical(chance(0.5) ? 384 : (chance(0.5) ? 640 : 512), 632);
                } else {
                    move_client(std::floor(uniform(0, 65536)), std::floor(uniform(0, 65536)));
                }
            } else if (r < 0.50) {
                press();
            } else if (r < 0.72) {
                release();
            } else if (r < 0.74) {
                escape();
            } else if (r < 0.76) {
                game.window_active = chance(0.8) ? 1 : 0;
            } else if (r < 0.78) {
                const auto& size = windows[std::uniform_int_distribution<int>(0, 5)(random)];
                set_outer_window(size[0], size[1]);
            } else if (r < 0.785 && game.current_scene == Play && game.drag_phase == DragPhase::Idle) {
                // A player near the end: all but one loose piece already home,
                // so that random play also reaches the Clear scene.
                PieceRecord* pieces = current_pieces();
                int kept = -1;
                for (int i = 0; i < current_count(); ++i) {
                    if (pieces[i].state != Loose) continue;
                    if (kept < 0) {
                        kept = i;
                        continue;
                    }
                    pieces[i].state = Placed;
                    pieces[i].x = pieces[i].home_x;
                    pieces[i].y = pieces[i].home_y;
                    --game.pieces_left;
                }
            }
        }
        if (game.window_active == 0 && chance(0.3)) game.window_active = 1;
        const double r = uniform(0, 1);
        const double seconds = r < 0.05 ? 0 : r < 0.08 ? uniform(1, 5) : uniform(0.001, 0.2);
        draw_log.clear();
        run_frame(seconds);
        ++visits.frames[game.current_scene & 3];
        check_invariants(step);
        if (::testing::Test::HasFatalFailure()) return visits;
    }
    return visits;
}

TEST(RandomSession, InvariantsHoldEveryFrame) {
    SceneVisits total;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        const SceneVisits visits = random_session(seed, 20000);
        if (HasFatalFailure()) return;
        for (int scene = 0; scene < 4; ++scene) total.frames[scene] += visits.frames[scene];
    }
    // The invariants are only worth as much as the ground the sessions cover.
    for (int scene = 0; scene < 4; ++scene) EXPECT_GT(total.frames[scene], 100) << "scene " << scene;
}

}  // namespace
