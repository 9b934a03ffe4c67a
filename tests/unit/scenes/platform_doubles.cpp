// Test doubles of what the scenes call outside their own folder, kept in
// one file so that they can be trimmed as the real modules arrive. Three
// sections, each to be deleted as a whole:
//
//  A. The drawing objects, the main window and GetWindowRect: delete when
//     the graphics stage and the window layer define them in the core
//     library (the tests point the drawing globals at their fakes at run
//     time, and leave main_window null).
//  B. The labels, the fixed texts and the catalogue: delete when the
//     content branch's labels.h, catalogue.h and their sources arrive.
//  C. Recording doubles of play_sound_effect, load_records and save_records.
//     The tests read their logs, and the real ones would play sounds and
//     write game/data_save.dat; keep them (they take precedence over the
//     library's as long as nothing else in the test binary pulls in the
//     library's sound or record objects).

#include <gtest/gtest.h>

#include <cmath>

#include "content/catalogue.h"
#include "content/piece_geometry.h"
#include "content/records.h"
#include "platform/graphics_objects.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "scenes/labels.h"
#include "scenes/scenes.h"
#include "shell/main_window.h"
#include "test_support.h"

// ===== A. drawing objects, main window, window rectangle ====================

IDirect3DTexture9* atlas_texture = nullptr;
ID3DXSprite* sprite = nullptr;
ID3DXFont* font_mincho_144_bold = nullptr;
ID3DXFont* font_gothic_28 = nullptr;
ID3DXFont* font_meiryo_64 = nullptr;
ID3DXFont* font_meiryo_32 = nullptr;
ID3DXFont* font_gothic_16a = nullptr;
ID3DXFont* font_gothic_16b = nullptr;
ID3DXFont* font_mincho_16 = nullptr;
ID3DXFont* font_gothic_16_bold = nullptr;

HWND main_window = nullptr;

namespace {
RECT outer_rect_double{0, 0, 0, 0};
}

bool GetWindowRect(HWND window, RECT* rect) {
    if (window == nullptr || rect == nullptr) return false;
    *rect = outer_rect_double;
    return true;
}

// update_frame measures the window through GetWindowRect in every frame,
// active or not, and leaves the last rectangle when there is no window.
TEST(WindowMeasure, EveryFrameReadsTheOuterRectangle) {
    start_game_state();
    static char window_object;
    main_window = reinterpret_cast<HWND>(&window_object);
    outer_rect_double = RECT{10, 20, 10 + 2066, 20 + 1580};
    game.window_active = 0;
    run_frame();
    EXPECT_EQ(game.window_width, 2066);
    EXPECT_EQ(game.window_height, 1580);
    main_window = nullptr;
    outer_rect_double = RECT{0, 0, 5, 5};
    run_frame();
    EXPECT_EQ(game.window_width, 2066);
}

// ===== B. labels, fixed texts, catalogue ====================================

UiTexts ui_texts;

namespace ui_text {
const char kRemainingCount[] = "<remaining count>";
const char kElapsedTime[] = "<elapsed time>";
const char kGameClear[] = "<game clear>";
const char kNewRecord[] = "<new record>";
const char kTimes[] = "<times>";
}  // namespace ui_text

void bind_ui_texts() {
    static const char* const digits[10] = {"<0>", "<1>", "<2>", "<3>", "<4>", "<5>", "<6>", "<7>", "<8>", "<9>"};
    ui_texts.title = "<title>";
    ui_texts.caption_municipality = "<municipality>";
    ui_texts.caption_mascot = "<mascot>";
    ui_texts.caption_play_again = "<play again>";
    for (int i = 0; i < 10; ++i) ui_texts.digits[i] = digits[i];
    ui_texts.high_score_municipality = "<high score municipality>";
    ui_texts.high_score_mascot = "<high score mascot>";
}

void reset_labels() {
    game.muni_name_label = {Hidden, 8, -32, 320, 32};
    game.muni_reading_label = {Hidden, 12, -32, 320, 32};
    game.muni_population_label = {Hidden, 40, 180, 100, 20};
    game.muni_area_label = {Hidden, 40, 200, 100, 20};
    game.muni_region_label = {Hidden, 10, 100, 0, 20};
    game.muni_remark_label = {Hidden, 10, 120, 0, 20};
    game.mascot_name_label = {Hidden, 8, -32, 320, 32};
    game.mascot_affiliation_label = {Hidden, 10, 76, 0, 20};
    game.mascot_line_labels[0] = {Hidden, 10, 96, 0, 20};
    game.mascot_line_labels[1] = {Hidden, 10, 116, 0, 20};
    game.mascot_line_labels[2] = {Hidden, 10, 136, 0, 22};
    game.mascot_line_labels[3] = {Hidden, 10, 156, 0, 20};
    game.mascot_line_labels[4] = {Hidden, 10, 176, 0, 20};
}

RECT label_rect(const InfoLabel& label) {
    RECT rect;
    rect.left = static_cast<int>(label.x);
    rect.top = static_cast<int>(label.y);
    rect.right = static_cast<int>(rect.left + label.width);
    rect.bottom = static_cast<int>(rect.top + label.height);
    return rect;
}

void draw_time_digits(double seconds, const int lefts[4], int top, int right, int bottom) {
    const double limited = std::isnan(seconds) ? 0 : std::fmin(std::fmax(seconds, 0), 5999);
    const int t = static_cast<int>(limited);
    const int d1 = t / 600, d2 = (t - 600 * d1) / 60, d3 = (t - 600 * d1 - 60 * d2) / 10;
    const int digits[4] = {d1, d2, d3, t - 600 * d1 - 60 * d2 - 10 * d3};
    for (int k = 0; k < 4; ++k) {
        RECT rect{lefts[k], top, right, bottom};
        font_gothic_16_bold->DrawTextA(sprite, ui_texts.digits[digits[k]], -1, &rect, DT_WORDBREAK, 0xFF000000);
    }
}

const MunicipalityEntry municipality_entries[63] = {
    {"muni 0 name", "muni 0 reading", "muni 0 population", "muni 0 area", "muni 0 region", "muni 0 remark"},
    {"muni 1 name", "muni 1 reading", "muni 1 population", "muni 1 area", "muni 1 region", "muni 1 remark"},
    {"muni 2 name", "muni 2 reading", "muni 2 population", "muni 2 area", "muni 2 region", "muni 2 remark"},
    {"muni 3 name", "muni 3 reading", "muni 3 population", "muni 3 area", "muni 3 region", "muni 3 remark"},
    {"muni 4 name", "muni 4 reading", "muni 4 population", "muni 4 area", "muni 4 region", "muni 4 remark"},
    {"muni 5 name", "muni 5 reading", "muni 5 population", "muni 5 area", "muni 5 region", "muni 5 remark"},
    {"muni 6 name", "muni 6 reading", "muni 6 population", "muni 6 area", "muni 6 region", "muni 6 remark"},
    {"muni 7 name", "muni 7 reading", "muni 7 population", "muni 7 area", "muni 7 region", "muni 7 remark"},
    {"muni 8 name", "muni 8 reading", "muni 8 population", "muni 8 area", "muni 8 region", "muni 8 remark"},
    {"muni 9 name", "muni 9 reading", "muni 9 population", "muni 9 area", "muni 9 region", "muni 9 remark"},
    {"muni 10 name", "muni 10 reading", "muni 10 population", "muni 10 area", "muni 10 region", "muni 10 remark"},
    {"muni 11 name", "muni 11 reading", "muni 11 population", "muni 11 area", "muni 11 region", "muni 11 remark"},
    {"muni 12 name", "muni 12 reading", "muni 12 population", "muni 12 area", "muni 12 region", "muni 12 remark"},
    {"muni 13 name", "muni 13 reading", "muni 13 population", "muni 13 area", "muni 13 region", "muni 13 remark"},
    {"muni 14 name", "muni 14 reading", "muni 14 population", "muni 14 area", "muni 14 region", "muni 14 remark"},
    {"muni 15 name", "muni 15 reading", "muni 15 population", "muni 15 area", "muni 15 region", "muni 15 remark"},
    {"muni 16 name", "muni 16 reading", "muni 16 population", "muni 16 area", "muni 16 region", "muni 16 remark"},
    {"muni 17 name", "muni 17 reading", "muni 17 population", "muni 17 area", "muni 17 region", "muni 17 remark"},
    {"muni 18 name", "muni 18 reading", "muni 18 population", "muni 18 area", "muni 18 region", "muni 18 remark"},
    {"muni 19 name", "muni 19 reading", "muni 19 population", "muni 19 area", "muni 19 region", "muni 19 remark"},
    {"muni 20 name", "muni 20 reading", "muni 20 population", "muni 20 area", "muni 20 region", "muni 20 remark"},
    {"muni 21 name", "muni 21 reading", "muni 21 population", "muni 21 area", "muni 21 region", "muni 21 remark"},
    {"muni 22 name", "muni 22 reading", "muni 22 population", "muni 22 area", "muni 22 region", "muni 22 remark"},
    {"muni 23 name", "muni 23 reading", "muni 23 population", "muni 23 area", "muni 23 region", "muni 23 remark"},
    {"muni 24 name", "muni 24 reading", "muni 24 population", "muni 24 area", "muni 24 region", "muni 24 remark"},
    {"muni 25 name", "muni 25 reading", "muni 25 population", "muni 25 area", "muni 25 region", "muni 25 remark"},
    {"muni 26 name", "muni 26 reading", "muni 26 population", "muni 26 area", "muni 26 region", "muni 26 remark"},
    {"muni 27 name", "muni 27 reading", "muni 27 population", "muni 27 area", "muni 27 region", "muni 27 remark"},
    {"muni 28 name", "muni 28 reading", "muni 28 population", "muni 28 area", "muni 28 region", "muni 28 remark"},
    {"muni 29 name", "muni 29 reading", "muni 29 population", "muni 29 area", "muni 29 region", "muni 29 remark"},
    {"muni 30 name", "muni 30 reading", "muni 30 population", "muni 30 area", "muni 30 region", "muni 30 remark"},
    {"muni 31 name", "muni 31 reading", "muni 31 population", "muni 31 area", "muni 31 region", "muni 31 remark"},
    {"muni 32 name", "muni 32 reading", "muni 32 population", "muni 32 area", "muni 32 region", "muni 32 remark"},
    {"muni 33 name", "muni 33 reading", "muni 33 population", "muni 33 area", "muni 33 region", "muni 33 remark"},
    {"muni 34 name", "muni 34 reading", "muni 34 population", "muni 34 area", "muni 34 region", "muni 34 remark"},
    {"muni 35 name", "muni 35 reading", "muni 35 population", "muni 35 area", "muni 35 region", "muni 35 remark"},
    {"muni 36 name", "muni 36 reading", "muni 36 population", "muni 36 area", "muni 36 region", "muni 36 remark"},
    {"muni 37 name", "muni 37 reading", "muni 37 population", "muni 37 area", "muni 37 region", "muni 37 remark"},
    {"muni 38 name", "muni 38 reading", "muni 38 population", "muni 38 area", "muni 38 region", "muni 38 remark"},
    {"muni 39 name", "muni 39 reading", "muni 39 population", "muni 39 area", "muni 39 region", "muni 39 remark"},
    {"muni 40 name", "muni 40 reading", "muni 40 population", "muni 40 area", "muni 40 region", "muni 40 remark"},
    {"muni 41 name", "muni 41 reading", "muni 41 population", "muni 41 area", "muni 41 region", "muni 41 remark"},
    {"muni 42 name", "muni 42 reading", "muni 42 population", "muni 42 area", "muni 42 region", "muni 42 remark"},
    {"muni 43 name", "muni 43 reading", "muni 43 population", "muni 43 area", "muni 43 region", "muni 43 remark"},
    {"muni 44 name", "muni 44 reading", "muni 44 population", "muni 44 area", "muni 44 region", "muni 44 remark"},
    {"muni 45 name", "muni 45 reading", "muni 45 population", "muni 45 area", "muni 45 region", "muni 45 remark"},
    {"muni 46 name", "muni 46 reading", "muni 46 population", "muni 46 area", "muni 46 region", "muni 46 remark"},
    {"muni 47 name", "muni 47 reading", "muni 47 population", "muni 47 area", "muni 47 region", "muni 47 remark"},
    {"muni 48 name", "muni 48 reading", "muni 48 population", "muni 48 area", "muni 48 region", "muni 48 remark"},
    {"muni 49 name", "muni 49 reading", "muni 49 population", "muni 49 area", "muni 49 region", "muni 49 remark"},
    {"muni 50 name", "muni 50 reading", "muni 50 population", "muni 50 area", "muni 50 region", "muni 50 remark"},
    {"muni 51 name", "muni 51 reading", "muni 51 population", "muni 51 area", "muni 51 region", "muni 51 remark"},
    {"muni 52 name", "muni 52 reading", "muni 52 population", "muni 52 area", "muni 52 region", "muni 52 remark"},
    {"muni 53 name", "muni 53 reading", "muni 53 population", "muni 53 area", "muni 53 region", "muni 53 remark"},
    {"muni 54 name", "muni 54 reading", "muni 54 population", "muni 54 area", "muni 54 region", "muni 54 remark"},
    {"muni 55 name", "muni 55 reading", "muni 55 population", "muni 55 area", "muni 55 region", "muni 55 remark"},
    {"muni 56 name", "muni 56 reading", "muni 56 population", "muni 56 area", "muni 56 region", "muni 56 remark"},
    {"muni 57 name", "muni 57 reading", "muni 57 population", "muni 57 area", "muni 57 region", "muni 57 remark"},
    {"muni 58 name", "muni 58 reading", "muni 58 population", "muni 58 area", "muni 58 region", "muni 58 remark"},
    {"muni 59 name", "muni 59 reading", "muni 59 population", "muni 59 area", "muni 59 region", "muni 59 remark"},
    {"muni 60 name", "muni 60 reading", "muni 60 population", "muni 60 area", "muni 60 region", "muni 60 remark"},
    {"muni 61 name", "muni 61 reading", "muni 61 population", "muni 61 area", "muni 61 region", "muni 61 remark"},
    {"muni 62 name", "muni 62 reading", "muni 62 population", "muni 62 area", "muni 62 region", "muni 62 remark"}
};

const MascotEntry mascot_entries[95] = {
    {"mascot 0 name", "mascot 0 affiliation", {"mascot 0 line 1", "mascot 0 line 2", "mascot 0 line 3", "", ""}},
    {"mascot 1 name", "mascot 1 affiliation", {"mascot 1 line 1", "mascot 1 line 2", "mascot 1 line 3", "", ""}},
    {"mascot 2 name", "mascot 2 affiliation", {"mascot 2 line 1", "mascot 2 line 2", "mascot 2 line 3", "", ""}},
    {"mascot 3 name", "mascot 3 affiliation", {"mascot 3 line 1", "mascot 3 line 2", "mascot 3 line 3", "", ""}},
    {"mascot 4 name", "mascot 4 affiliation", {"mascot 4 line 1", "mascot 4 line 2", "mascot 4 line 3", "", ""}},
    {"mascot 5 name", "mascot 5 affiliation", {"mascot 5 line 1", "mascot 5 line 2", "mascot 5 line 3", "", ""}},
    {"mascot 6 name", "mascot 6 affiliation", {"mascot 6 line 1", "mascot 6 line 2", "mascot 6 line 3", "", ""}},
    {"mascot 7 name", "mascot 7 affiliation", {"mascot 7 line 1", "mascot 7 line 2", "mascot 7 line 3", "", ""}},
    {"mascot 8 name", "mascot 8 affiliation", {"mascot 8 line 1", "mascot 8 line 2", "mascot 8 line 3", "", ""}},
    {"mascot 9 name", "mascot 9 affiliation", {"mascot 9 line 1", "mascot 9 line 2", "mascot 9 line 3", "", ""}},
    {"mascot 10 name", "mascot 10 affiliation", {"mascot 10 line 1", "mascot 10 line 2", "mascot 10 line 3", "", ""}},
    {"mascot 11 name", "mascot 11 affiliation", {"mascot 11 line 1", "mascot 11 line 2", "mascot 11 line 3", "", ""}},
    {"mascot 12 name", "mascot 12 affiliation", {"mascot 12 line 1", "mascot 12 line 2", "mascot 12 line 3", "", ""}},
    {"mascot 13 name", "mascot 13 affiliation", {"mascot 13 line 1", "mascot 13 line 2", "mascot 13 line 3", "", ""}},
    {"mascot 14 name", "mascot 14 affiliation", {"mascot 14 line 1", "mascot 14 line 2", "mascot 14 line 3", "", ""}},
    {"mascot 15 name", "mascot 15 affiliation", {"mascot 15 line 1", "mascot 15 line 2", "mascot 15 line 3", "", ""}},
    {"mascot 16 name", "mascot 16 affiliation", {"mascot 16 line 1", "mascot 16 line 2", "mascot 16 line 3", "", ""}},
    {"mascot 17 name", "mascot 17 affiliation", {"mascot 17 line 1", "mascot 17 line 2", "mascot 17 line 3", "", ""}},
    {"mascot 18 name", "mascot 18 affiliation", {"mascot 18 line 1", "mascot 18 line 2", "mascot 18 line 3", "", ""}},
    {"mascot 19 name", "mascot 19 affiliation", {"mascot 19 line 1", "mascot 19 line 2", "mascot 19 line 3", "", ""}},
    {"mascot 20 name", "mascot 20 affiliation", {"mascot 20 line 1", "mascot 20 line 2", "mascot 20 line 3", "", ""}},
    {"mascot 21 name", "mascot 21 affiliation", {"mascot 21 line 1", "mascot 21 line 2", "mascot 21 line 3", "", ""}},
    {"mascot 22 name", "mascot 22 affiliation", {"mascot 22 line 1", "mascot 22 line 2", "mascot 22 line 3", "", ""}},
    {"mascot 23 name", "mascot 23 affiliation", {"mascot 23 line 1", "mascot 23 line 2", "mascot 23 line 3", "", ""}},
    {"mascot 24 name", "mascot 24 affiliation", {"mascot 24 line 1", "mascot 24 line 2", "mascot 24 line 3", "", ""}},
    {"mascot 25 name", "mascot 25 affiliation", {"mascot 25 line 1", "mascot 25 line 2", "mascot 25 line 3", "", ""}},
    {"mascot 26 name", "mascot 26 affiliation", {"mascot 26 line 1", "mascot 26 line 2", "mascot 26 line 3", "", ""}},
    {"mascot 27 name", "mascot 27 affiliation", {"mascot 27 line 1", "mascot 27 line 2", "mascot 27 line 3", "", ""}},
    {"mascot 28 name", "mascot 28 affiliation", {"mascot 28 line 1", "mascot 28 line 2", "mascot 28 line 3", "", ""}},
    {"mascot 29 name", "mascot 29 affiliation", {"mascot 29 line 1", "mascot 29 line 2", "mascot 29 line 3", "", ""}},
    {"mascot 30 name", "mascot 30 affiliation", {"mascot 30 line 1", "mascot 30 line 2", "mascot 30 line 3", "", ""}},
    {"mascot 31 name", "mascot 31 affiliation", {"mascot 31 line 1", "mascot 31 line 2", "mascot 31 line 3", "", ""}},
    {"mascot 32 name", "mascot 32 affiliation", {"mascot 32 line 1", "mascot 32 line 2", "mascot 32 line 3", "", ""}},
    {"mascot 33 name", "mascot 33 affiliation", {"mascot 33 line 1", "mascot 33 line 2", "mascot 33 line 3", "", ""}},
    {"mascot 34 name", "mascot 34 affiliation", {"mascot 34 line 1", "mascot 34 line 2", "mascot 34 line 3", "", ""}},
    {"mascot 35 name", "mascot 35 affiliation", {"mascot 35 line 1", "mascot 35 line 2", "mascot 35 line 3", "", ""}},
    {"mascot 36 name", "mascot 36 affiliation", {"mascot 36 line 1", "mascot 36 line 2", "mascot 36 line 3", "", ""}},
    {"mascot 37 name", "mascot 37 affiliation", {"mascot 37 line 1", "mascot 37 line 2", "mascot 37 line 3", "", ""}},
    {"mascot 38 name", "mascot 38 affiliation", {"mascot 38 line 1", "mascot 38 line 2", "mascot 38 line 3", "", ""}},
    {"mascot 39 name", "mascot 39 affiliation", {"mascot 39 line 1", "mascot 39 line 2", "mascot 39 line 3", "", ""}},
    {"mascot 40 name", "mascot 40 affiliation", {"mascot 40 line 1", "mascot 40 line 2", "mascot 40 line 3", "", ""}},
    {"mascot 41 name", "mascot 41 affiliation", {"mascot 41 line 1", "mascot 41 line 2", "mascot 41 line 3", "", ""}},
    {"mascot 42 name", "mascot 42 affiliation", {"mascot 42 line 1", "mascot 42 line 2", "mascot 42 line 3", "", ""}},
    {"mascot 43 name", "mascot 43 affiliation", {"mascot 43 line 1", "mascot 43 line 2", "mascot 43 line 3", "", ""}},
    {"mascot 44 name", "mascot 44 affiliation", {"mascot 44 line 1", "mascot 44 line 2", "mascot 44 line 3", "", ""}},
    {"mascot 45 name", "mascot 45 affiliation", {"mascot 45 line 1", "mascot 45 line 2", "mascot 45 line 3", "", ""}},
    {"mascot 46 name", "mascot 46 affiliation", {"mascot 46 line 1", "mascot 46 line 2", "mascot 46 line 3", "", ""}},
    {"mascot 47 name", "mascot 47 affiliation", {"mascot 47 line 1", "mascot 47 line 2", "mascot 47 line 3", "", ""}},
    {"mascot 48 name", "mascot 48 affiliation", {"mascot 48 line 1", "mascot 48 line 2", "mascot 48 line 3", "", ""}},
    {"mascot 49 name", "mascot 49 affiliation", {"mascot 49 line 1", "mascot 49 line 2", "mascot 49 line 3", "", ""}},
    {"mascot 50 name", "mascot 50 affiliation", {"mascot 50 line 1", "mascot 50 line 2", "mascot 50 line 3", "", ""}},
    {"mascot 51 name", "mascot 51 affiliation", {"mascot 51 line 1", "mascot 51 line 2", "mascot 51 line 3", "", ""}},
    {"mascot 52 name", "mascot 52 affiliation", {"mascot 52 line 1", "mascot 52 line 2", "mascot 52 line 3", "", ""}},
    {"mascot 53 name", "mascot 53 affiliation", {"mascot 53 line 1", "mascot 53 line 2", "mascot 53 line 3", "", ""}},
    {"mascot 54 name", "mascot 54 affiliation", {"mascot 54 line 1", "mascot 54 line 2", "mascot 54 line 3", "", ""}},
    {"mascot 55 name", "mascot 55 affiliation", {"mascot 55 line 1", "mascot 55 line 2", "mascot 55 line 3", "", ""}},
    {"mascot 56 name", "mascot 56 affiliation", {"mascot 56 line 1", "mascot 56 line 2", "mascot 56 line 3", "", ""}},
    {"mascot 57 name", "mascot 57 affiliation", {"mascot 57 line 1", "mascot 57 line 2", "mascot 57 line 3", "", ""}},
    {"mascot 58 name", "mascot 58 affiliation", {"mascot 58 line 1", "mascot 58 line 2", "mascot 58 line 3", "", ""}},
    {"mascot 59 name", "mascot 59 affiliation", {"mascot 59 line 1", "mascot 59 line 2", "mascot 59 line 3", "", ""}},
    {"mascot 60 name", "mascot 60 affiliation", {"mascot 60 line 1", "mascot 60 line 2", "mascot 60 line 3", "", ""}},
    {"mascot 61 name", "mascot 61 affiliation", {"mascot 61 line 1", "mascot 61 line 2", "mascot 61 line 3", "", ""}},
    {"mascot 62 name", "mascot 62 affiliation", {"mascot 62 line 1", "mascot 62 line 2", "mascot 62 line 3", "", ""}},
    {"mascot 63 name", "mascot 63 affiliation", {"mascot 63 line 1", "mascot 63 line 2", "mascot 63 line 3", "", ""}},
    {"mascot 64 name", "mascot 64 affiliation", {"mascot 64 line 1", "mascot 64 line 2", "mascot 64 line 3", "", ""}},
    {"mascot 65 name", "mascot 65 affiliation", {"mascot 65 line 1", "mascot 65 line 2", "mascot 65 line 3", "", ""}},
    {"mascot 66 name", "mascot 66 affiliation", {"mascot 66 line 1", "mascot 66 line 2", "mascot 66 line 3", "", ""}},
    {"mascot 67 name", "mascot 67 affiliation", {"mascot 67 line 1", "mascot 67 line 2", "mascot 67 line 3", "", ""}},
    {"mascot 68 name", "mascot 68 affiliation", {"mascot 68 line 1", "mascot 68 line 2", "mascot 68 line 3", "", ""}},
    {"mascot 69 name", "mascot 69 affiliation", {"mascot 69 line 1", "mascot 69 line 2", "mascot 69 line 3", "", ""}},
    {"mascot 70 name", "mascot 70 affiliation", {"mascot 70 line 1", "mascot 70 line 2", "mascot 70 line 3", "", ""}},
    {"mascot 71 name", "mascot 71 affiliation", {"mascot 71 line 1", "mascot 71 line 2", "mascot 71 line 3", "", ""}},
    {"mascot 72 name", "mascot 72 affiliation", {"mascot 72 line 1", "mascot 72 line 2", "mascot 72 line 3", "", ""}},
    {"mascot 73 name", "mascot 73 affiliation", {"mascot 73 line 1", "mascot 73 line 2", "mascot 73 line 3", "", ""}},
    {"mascot 74 name", "mascot 74 affiliation", {"mascot 74 line 1", "mascot 74 line 2", "mascot 74 line 3", "", ""}},
    {"mascot 75 name", "mascot 75 affiliation", {"mascot 75 line 1", "mascot 75 line 2", "mascot 75 line 3", "", ""}},
    {"mascot 76 name", "mascot 76 affiliation", {"mascot 76 line 1", "mascot 76 line 2", "mascot 76 line 3", "", ""}},
    {"mascot 77 name", "mascot 77 affiliation", {"mascot 77 line 1", "mascot 77 line 2", "mascot 77 line 3", "", ""}},
    {"mascot 78 name", "mascot 78 affiliation", {"mascot 78 line 1", "mascot 78 line 2", "mascot 78 line 3", "", ""}},
    {"mascot 79 name", "mascot 79 affiliation", {"mascot 79 line 1", "mascot 79 line 2", "mascot 79 line 3", "", ""}},
    {"mascot 80 name", "mascot 80 affiliation", {"mascot 80 line 1", "mascot 80 line 2", "mascot 80 line 3", "", ""}},
    {"mascot 81 name", "mascot 81 affiliation", {"mascot 81 line 1", "mascot 81 line 2", "mascot 81 line 3", "", ""}},
    {"mascot 82 name", "mascot 82 affiliation", {"mascot 82 line 1", "mascot 82 line 2", "mascot 82 line 3", "", ""}},
    {"mascot 83 name", "mascot 83 affiliation", {"mascot 83 line 1", "mascot 83 line 2", "mascot 83 line 3", "", ""}},
    {"mascot 84 name", "mascot 84 affiliation", {"mascot 84 line 1", "mascot 84 line 2", "mascot 84 line 3", "", ""}},
    {"mascot 85 name", "mascot 85 affiliation", {"mascot 85 line 1", "mascot 85 line 2", "mascot 85 line 3", "", ""}},
    {"mascot 86 name", "mascot 86 affiliation", {"mascot 86 line 1", "mascot 86 line 2", "mascot 86 line 3", "", ""}},
    {"mascot 87 name", "mascot 87 affiliation", {"mascot 87 line 1", "mascot 87 line 2", "mascot 87 line 3", "", ""}},
    {"mascot 88 name", "mascot 88 affiliation", {"mascot 88 line 1", "mascot 88 line 2", "mascot 88 line 3", "", ""}},
    {"mascot 89 name", "mascot 89 affiliation", {"mascot 89 line 1", "mascot 89 line 2", "mascot 89 line 3", "", ""}},
    {"mascot 90 name", "mascot 90 affiliation", {"mascot 90 line 1", "mascot 90 line 2", "mascot 90 line 3", "", ""}},
    {"mascot 91 name", "mascot 91 affiliation", {"mascot 91 line 1", "mascot 91 line 2", "mascot 91 line 3", "", ""}},
    {"mascot 92 name", "mascot 92 affiliation", {"mascot 92 line 1", "mascot 92 line 2", "mascot 92 line 3", "", ""}},
    {"mascot 93 name", "mascot 93 affiliation", {"mascot 93 line 1", "mascot 93 line 2", "mascot 93 line 3", "", ""}},
    {"mascot 94 name", "mascot 94 affiliation", {"mascot 94 line 1", "mascot 94 line 2", "mascot 94 line 3", "", ""}}
};

void fill_catalogue() {
    using namespace piece_geometry;
    for (int i = 0; i < kMunicipalityCount; ++i) {
        PieceRecord& piece = game.municipality_pieces[i];
        piece.home_x = kMunicipalities[i].home_x;
        piece.home_y = kMunicipalities[i].home_y;
        piece.atlas_x = kMunicipalities[i].atlas_x;
        piece.atlas_y = kMunicipalities[i].atlas_y;
        piece.width = kMunicipalities[i].width;
        piece.height = kMunicipalities[i].height;
    }
    for (int i = 0; i < kMascotCount; ++i) {
        PieceRecord& piece = game.mascot_pieces[i];
        piece.home_x = kMascotHomes[i].home_x;
        piece.home_y = kMascotHomes[i].home_y;
        piece.atlas_x = mascot_atlas_x(i);
        piece.atlas_y = mascot_atlas_y(i);
        piece.width = kMascotSize;
        piece.height = kMascotSize;
    }
}

// ===== C. recording doubles: sounds and the record file ====================

std::vector<std::int32_t> sound_log;
std::vector<RecordCall> record_log;
bool records_file_present = false;
double records_file_best[2] = {3599, 3599};

void play_sound_effect(std::int32_t effect) { sound_log.push_back(effect); }

namespace {
void log_record_call(const char* name) {
    record_log.push_back(RecordCall{name, game.current_scene, game.scatter_seconds, game.pieces_left,
                                    sound_log.size(), {game.best_seconds[0], game.best_seconds[1]}, game.new_record});
}
}  // namespace

void load_records() {
    log_record_call("load_records");
    if (!records_file_present) return;
    game.best_seconds[0] = records_file_best[0];
    game.best_seconds[1] = records_file_best[1];
}

void save_records() { log_record_call("save_records"); }
