// Whole games on the Direct3D 9 device, every present checked: the real
// game (its window, graphics stage and device) is played through its own
// main-loop passes with window messages posted as Windows would, and after
// each present, drawn or skipped, the frame check (support/frame_check.h)
// draws the recorded frame in full into a target of its own and compares it
// with what the window shows. The games go through what can break skipping:
// hovered buttons, the scatter, pieces dragged home with their info panels
// (new glyphs), the clock's digits, a resize, the clear screen and its
// banner. Needs an X display under Wine (tests/windows/run_in_wine.sh
// --display).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "state/platform_objects.h"
#include "platform/test_hooks.h"
#include "platform/win32/frame_skip.h"
#include "platform/window.h"
#include "state/game_state.h"
#include "shell/frame_pacing.h"
#include "shell/main_window.h"
#include "shell/shell_loop.h"
#include "support/frame_check.h"

namespace fs = std::filesystem;

namespace {

// The frame clock reads about this much time since the last frame, whatever
// the frame really took, and every pacing window counts enough frames for
// the update gate: the check's drawing and read-backs cost more than a
// frame's worth under Wine on the CPU, and below about 30 frames a second
// the gate would stand the game still (the tick count also moves on by a
// few milliseconds between here and the frame on a busy machine).
constexpr std::uint32_t kFrameMs = 32;

unsigned long presents() {
    const PresentCounts c = present_counts(device);
    return c.drawn + c.skipped;
}

// Takes one message per pass, as the main loop does, until a frame has run.
void frame() {
    const unsigned long before = presents();
    for (int pass = 0; pass < 1000 && presents() == before; ++pass) {
        shell_pacing.last_tick = GetTickCount() - kFrameMs;
        shell_pacing.sleep_ms = kMinSleepMs;
        if (shell_pacing.frames_this_window < kUpdateGateFrames) shell_pacing.frames_this_window = kUpdateGateFrames;
        int code = 0;
        ASSERT_TRUE(run_one_pass(&code)) << "the game quit with " << code;
    }
}
void frames(int count) {
    for (int i = 0; i < count; ++i) frame();
}

// Logical screen position to client pixels, as the game maps the pointer.
int client_x(double x) { return static_cast<int>((game.window_width - 18) * x / 1024); }
int client_y(double y) { return static_cast<int>((game.window_height - 44) * y / 768); }
LPARAM at(double x, double y) {
    return MAKELPARAM(static_cast<WORD>(client_x(x)), static_cast<WORD>(client_y(y)));
}

// The system's cursor goes there too: the mouse moves the window system
// reports itself (after a resize, say) then tell the game the same place.
double pointer_x = 0, pointer_y = 0;
void point_at(double x, double y) {
    pointer_x = x;
    pointer_y = y;
    POINT screen{client_x(x), client_y(y)};
    ClientToScreen(main_window, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(main_window, WM_MOUSEMOVE, 0, at(x, y));
    frame();
}
void press() {
    PostMessageA(main_window, WM_LBUTTONDOWN, MK_LBUTTON, at(pointer_x, pointer_y));
    frame();
}
void release() {
    PostMessageA(main_window, WM_LBUTTONUP, 0, at(pointer_x, pointer_y));
    frame();
}
void click_at(double x, double y) {
    point_at(x, y);
    press();
    release();
}
void resize(int client_width, int client_height) {
    SetWindowPos(main_window, nullptr, 0, 0, client_width + 18, client_height + 44, SWP_NOMOVE | SWP_NOZORDER);
    frame();
}

PieceRecord* pieces_of_mode() { return game.puzzle_mode == Mascot ? game.mascot_pieces : game.municipality_pieces; }
const std::int32_t* order_of_mode() {
    return game.puzzle_mode == Mascot ? game.mascot_order : game.municipality_order;
}
int count_of_mode() { return game.puzzle_mode == Mascot ? kMascotPieces : kMunicipalityPieces; }

// Whether the info panel of the held piece is uncovered to its last line.
bool panel_shown() {
    return game.puzzle_mode == Mascot ? game.mascot_line_labels[kMascotLines - 1].state == Shown
                                      : game.muni_remark_label.state == Shown;
}

// Points at the topmost loose piece, picks up the piece the game then offers,
// holds it (until its info panel is shown in full, if asked), carries it
// home in two steps and lets go. False when no loose piece could be taken,
// or the panel did not come.
bool drag_a_piece_home(bool with_panel = false) {
    const PieceRecord* pieces = pieces_of_mode();
    const std::int32_t* order = order_of_mode();
    for (int n = count_of_mode() - 1; n >= 0; --n) {
        const PieceRecord& p = pieces[order[n]];
        if (p.state != Loose) continue;
        point_at(p.x + p.width / 2, p.y + p.height / 2);
        if (game.drag_phase != DragPhase::Hover) continue;
        const PieceRecord& held = pieces[game.active_piece];
        press();
        for (int i = 0; with_panel && i < 150 && !panel_shown(); ++i) frame();
        if (with_panel && !panel_shown()) return false;
        const double x0 = held.x + held.width / 2, y0 = held.y + held.height / 2;
        const double x1 = held.home_x + held.width / 2, y1 = held.home_y + held.height / 2;
        point_at((x0 + x1) / 2, (y0 + y1) / 2);
        point_at(x1, y1);
        release();
        frame();
        return true;
    }
    return false;
}

class WholeGameFrames : public ::testing::Test {
protected:
    void SetUp() override {
        clear_faults();
        set_message_boxes_suppressed(true);
        source = POKOMARU_SOURCE_DIR;
        dir = fs::temp_directory_path() / "pokomaru-whole-game-frames";
        fs::remove_all(dir);
        fs::create_directories(dir / "game");
        for (const auto& e : fs::directory_iterator(source / "game"))
            if (e.path().filename() != "data_save.dat") fs::copy(e.path(), dir / "game" / e.path().filename());
        fs::current_path(dir);
        game = GameState{};
        ASSERT_EQ(started = start_up(platform_instance()), 1);
        PostMessageA(main_window, WM_ACTIVATE, WA_ACTIVE, 0);
        set_after_present(device, [this](const PresentedFrame& p) { checker.compare(p); });
        // The first pacing window opens the update gate; the update measures
        // the window, which the pointer's mapping needs.
        for (int i = 0; i < 20 && game.window_width == 0; ++i) frame();
        ASSERT_GT(game.window_width, 0) << "the game never ran its update";
    }
    void TearDown() override {
        if (started) {
            set_after_present(device, {});
            release_all(platform_instance());
        }
        set_message_boxes_suppressed(false);
        fs::current_path(source);
        fs::remove_all(dir);
    }

    void expect_identical(const char* when) {
        const FrameCheck& c = checker.check();
        EXPECT_EQ(c.differing_frames, 0u)
            << when << ": " << c.differing_frames << " of " << c.frames << " frames differ from a full redraw; "
            << "the first is frame " << c.first_frame << " at (" << c.first_x << ", " << c.first_y << "): full 0x"
            << std::hex << c.full << ", shown 0x" << c.shown;
    }

    fs::path source, dir;
    int started = 0;
    FrameChecker checker;
};

TEST_F(WholeGameFrames, EveryPresentOfWholeGamesMatchesAFullRedraw) {
    // The title: each button lit in turn, then a still screen.
    point_at(384, 632);
    point_at(640, 632);
    point_at(100, 700);
    frames(5);
    expect_identical("title");

    // A municipality game through to the clear screen: the scatter moves
    // every piece, the first piece is held until its info panel is shown in
    // full (new glyphs), and every piece is carried home, some in a smaller
    // window.
    click_at(384, 632);
    for (int i = 0; i < 90 && game.current_scene != Play; ++i) frame();
    ASSERT_EQ(game.current_scene, Play);
    ASSERT_TRUE(drag_a_piece_home(true));
    expect_identical("the first piece");
    for (int placed = 1; game.current_scene == Play && placed < 2 * kMunicipalityPieces; ++placed) {
        if (placed == 20) {
            resize(700, 500);
            EXPECT_EQ(game.window_width, 700 + 18) << "the window was not resized";
        }
        if (placed == 30) resize(1024, 768);
        ASSERT_TRUE(drag_a_piece_home()) << "no loose piece to take, " << game.pieces_left << " left; window active "
                                               << int(game.window_active);
    }
    ASSERT_EQ(game.current_scene, Clear) << game.pieces_left << " pieces left";
    frames(80);  // a second's pause, the banner, then a still screen
    expect_identical("the municipality game");

    // A mascot game from the title: the scatter, a piece held with its
    // panel, a few more carried home.
    PostMessageA(main_window, WM_KEYDOWN, VK_ESCAPE, 1);
    frame();
    ASSERT_EQ(game.current_scene, Title);
    click_at(640, 632);
    for (int i = 0; i < 90 && game.current_scene != Play; ++i) frame();
    ASSERT_EQ(game.current_scene, Play);
    ASSERT_TRUE(drag_a_piece_home(true));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(drag_a_piece_home());
    frames(40);  // the clock alone moves
    expect_identical("the mascot game");

    const FrameCheck c = checker.check();
    std::printf("%lu presents compared, %lu of them skipped, %lu unchecked\n", c.frames, c.skipped, c.unchecked);
    EXPECT_EQ(c.unchecked, 0u) << "every frame of the game starts with a full clear";
    EXPECT_GT(c.frames, 300u);
    EXPECT_GT(c.skipped, 20u) << "a still screen is not drawn again";

    // The check can fail: texels changed behind the device's back (no new
    // generation) leave a skipped present showing the old picture. Each
    // change is undone by the next, so after a drawn present the texels
    // again differ from the picture shown.
    checker = FrameChecker{};
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(atlas_texture->GetLevelDesc(0, &desc), S_OK);
    for (int i = 0; i < 10 && checker.check().differing_frames == 0; ++i) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(atlas_texture->LockRect(0, &locked, nullptr, 0), S_OK);
        for (UINT row = 0; row < desc.Height; ++row) {
            auto* texels = reinterpret_cast<std::uint32_t*>(static_cast<char*>(locked.pBits) + row * locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x) texels[x] ^= 0x00FFFFFFu;
        }
        atlas_texture->UnlockRect(0);
        frame();
    }
    EXPECT_GT(checker.check().differing_frames, 0u) << "a skipped present over changed texels went unnoticed";
}

}  // namespace
