// Rendered frames of every scene, headless on the real device, fonts and
// atlas, compared with reference pictures in tests/reference/. Glyph
// rasterising and the renderer may differ a little between machines, so a
// few pixels may differ by a lot and the rest by a little. Set
// POKOMARU_UPDATE_FRAMES=1 to rewrite the references (and look at them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/hosted_device.h"
#include "state/game_state.h"
#include "scenes/piece_set.h"
#include "support/game_harness.h"

namespace fs = std::filesystem;

namespace {

using harness::click_at;
using harness::point_at;

// Moves over the loose piece i until it (or one above it) is the candidate,
// then presses: the piece is held.
void pick_up(int i) {
    const PieceRecord* set = current_piece_set().pieces;
    point_at(set[i].x + set[i].width / 2, set[i].y + set[i].height / 2);
    harness::frame();
    harness::press();
    harness::frame();
}

struct Comparison {
    int differing = 0;      // channel difference above the small tolerance
    int max_difference = 0;
};

Comparison compare(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    Comparison c;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        int worst = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            int d = std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
            worst = std::max(worst, d);
        }
        if (worst > 24) ++c.differing;
        c.max_difference = std::max(c.max_difference, worst);
    }
    return c;
}

void check_frame(const std::string& name) {
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(harness::read_frame(pixels, w, h));
    ASSERT_EQ(w, 1024);
    ASSERT_EQ(h, 768);
    const fs::path reference = fs::path(POKOMARU_SOURCE_DIR) / "tests" / "reference" / (name + ".png");
    if (std::getenv("POKOMARU_UPDATE_FRAMES")) {
        ASSERT_TRUE(harness::save_png(reference.string(), pixels, w, h));
        return;
    }
    std::vector<std::uint32_t> expected;
    int ew = 0, eh = 0;
    ASSERT_TRUE(harness::load_png(reference.string(), expected, ew, eh)) << "no reference " << reference;
    ASSERT_EQ(ew, w);
    ASSERT_EQ(eh, h);
    Comparison c = compare(expected, pixels);
    // At most 0.2% of the picture may differ noticeably.
    if (c.differing > w * h / 500) {
        const fs::path actual = fs::temp_directory_path() / (name + "-actual.png");
        harness::save_png(actual.string(), pixels, w, h);
        FAIL() << name << ": " << c.differing << " pixels differ (largest difference " << c.max_difference
               << "); the frame is at " << actual;
    }
}

class RenderedFrames : public ::testing::Test {
protected:
    void SetUp() override {
        // The references were drawn on the OpenGL path (linear filtering at
        // fractional positions); without a GPU the game itself would take
        // the software renderer, whose moving pieces land on whole pixels.
        sdl_graphics_allow_software_gl(true);
        ASSERT_TRUE(harness::start_game(3));
        harness::wait_ms(300);
    }
    void TearDown() override {
        harness::stop_game();
        sdl_graphics_allow_software_gl(false);
    }

    void start_mode(int mode) {
        click_at(mode == Mascot ? 640 : 384, 632);
        ASSERT_EQ(game.current_scene, Scatter);
    }
};

TEST_F(RenderedFrames, TitleWithTheHoveredButton) {
    point_at(384, 632);
    ASSERT_EQ(game.title_button_state, HoverMunicipality);
    check_frame("title");
}

TEST_F(RenderedFrames, MidScatter) {
    start_mode(Municipality);
    harness::wait_ms(600);
    check_frame("scatter");
}

TEST_F(RenderedFrames, MunicipalityPlayWithAHeldPieceAndItsPanel) {
    start_mode(Municipality);
    harness::wait_ms(2100);
    ASSERT_EQ(game.current_scene, Play);
    pick_up(0);  // whichever piece lies deepest under さいたま市's target
    ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
    point_at(400, 300);
    harness::wait_ms(1200);  // the name, the reading and the lines are all in
    check_frame("play_municipality");
}

TEST_F(RenderedFrames, MascotPlayWithAHeldPieceAndItsPanel) {
    start_mode(Mascot);
    harness::wait_ms(2100);
    ASSERT_EQ(game.current_scene, Play);
    pick_up(9);  // つなが竜ヌゥ, four description lines
    ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
    point_at(600, 420);
    harness::wait_ms(2500);
    check_frame("play_mascot");
}

TEST_F(RenderedFrames, MascotHintHeld) {
    start_mode(Mascot);
    harness::wait_ms(2100);
    point_at(990, 32);
    harness::press();
    harness::frame();
    harness::frame();
    check_frame("play_mascot_hint");
}

TEST_F(RenderedFrames, ClearCompleteWithANewRecord) {
    start_mode(Municipality);
    harness::wait_ms(2100);
    // Every piece but さいたま市 already home, then the last one dropped.
    for (int i = 1; i < kMunicipalityPieces; ++i) {
        PieceRecord& p = game.municipality_pieces[i];
        p.state = Placed;
        p.x = p.home_x;
        p.y = p.home_y;
    }
    game.pieces_left = 1;
    game.play_seconds = 75.4;  // the finishing time reads ０１１５
    pick_up(0);
    ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
    const PieceRecord& p = game.municipality_pieces[0];
    point_at(p.home_x + p.width / 2, p.home_y + p.height / 2);
    harness::release();
    harness::frame();
    ASSERT_EQ(game.current_scene, Clear);
    ASSERT_EQ(game.new_record, 1);
    harness::wait_ms(2600);
    point_at(512, 632);
    check_frame("clear");
}

}  // namespace
