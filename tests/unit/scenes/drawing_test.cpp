// What each scene draws, in order, through recording fakes of the sprite
// batch and the fonts.

#include <gtest/gtest.h>

#include <cstdlib>

#include "content/catalogue.h"
#include "content/piece_geometry.h"
#include "scenes/labels.h"
#include "ui_text.h"
#include "scenes/scenes.h"
#include "test_support.h"

namespace {

std::string sprite_call(int l, int t, int r, int b, double x, double y, D3DCOLOR colour) {
    DrawCall call;
    call.rect = RECT{l, t, r, b};
    call.x = static_cast<float>(x);
    call.y = static_cast<float>(y);
    call.colour = colour;
    return call.describe();
}

std::string text_call(const char* font, const char* text, int l, int t, int r, int b, DWORD format, D3DCOLOR colour) {
    DrawCall call;
    call.is_text = true;
    call.font = font;
    call.text = text;
    call.rect = RECT{l, t, r, b};
    call.format = format;
    call.colour = colour;
    return call.describe();
}

std::vector<std::string> described(std::size_t from, std::size_t to) {
    std::vector<std::string> out;
    for (std::size_t k = from; k < to && k < draw_log.size(); ++k) out.push_back(draw_log[k].describe());
    return out;
}

std::vector<std::string> background() {
    std::vector<std::string> calls{sprite_call(0, 0, 1024, 568, 0, 0, 0xFFFFFFFF)};
    for (int i = 0; i < 4; ++i) {
        calls.push_back(sprite_call(0, 0, 256, 116, 256 * i, 568, 0xFFFFFFFF));
        calls.push_back(sprite_call(0, 0, 256, 116, 256 * i, 684, 0xFFFFFFFF));
    }
    return calls;
}

std::vector<std::string> time_digits(const char* d1, const char* d2, const char* d3, const char* d4, const int lefts[4],
                                     int top, int right, int bottom) {
    const char* digits[4] = {d1, d2, d3, d4};
    std::vector<std::string> calls;
    for (int k = 0; k < 4; ++k)
        calls.push_back(text_call("gothic_16_bold", digits[k], lefts[k], top, right, bottom, DT_WORDBREAK, 0xFF000000));
    return calls;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more) { to.insert(to.end(), more.begin(), more.end()); }

const char* digit(int d) { return ui_texts.digits[d]; }

class Drawing : public ::testing::Test {
protected:
    void SetUp() override {
        start_game_state();
        install_drawing_fakes();
        std::srand(31);
    }
    void draw() {
        draw_log.clear();
        draw_scene_layers();
    }
    void enter_play(PuzzleMode mode) {
        start_from_title(mode);
        ASSERT_TRUE(scatter_until_play());
    }
    // Piece i of the set alone at (x, y) (its centre), picked up and held there.
    void hold_piece(int i, double x, double y) {
        PieceRecord& piece = current_pieces()[i];
        piece.x = x - piece.width / 2;
        piece.y = y - piece.height / 2;
        move_logical(x, y);
        run_frame();
        ASSERT_EQ(game.active_piece, i);
        press();
        run_frame();
        ASSERT_EQ(game.drag_phase, DragPhase::Dragging);
    }
};

TEST_F(Drawing, TitleDrawsItsLayersInOrder) {
    game.title_button_state = PressedMascot;
    game.best_seconds[0] = 75.9;
    draw();
    ASSERT_EQ(draw_log.size(), 9u + 4 + 63 + 95 + 1 + 5 + 5);
    for (const DrawCall& call : draw_log) {
        if (call.is_text) {
            EXPECT_TRUE(call.through_sprite);
            EXPECT_EQ(call.count, -1);
        } else {
            EXPECT_TRUE(call.from_atlas);
            EXPECT_FALSE(call.has_centre);
            EXPECT_EQ(call.z, 0);
        }
    }

    std::vector<std::string> head = background();
    head.push_back(sprite_call(0, 1488, 128, 1552, 320, 600, 0xB4FFFFFF));
    head.push_back(text_call("gothic_28", ui_texts.caption_municipality, 340, 616, 1368, 1380, DT_NOCLIP, 0xFFFF4040));
    head.push_back(sprite_call(0, 1560, 128, 1624, 576, 600, 0xFFFFFFFF));
    head.push_back(text_call("gothic_28", ui_texts.caption_mascot, 596, 616, 1624, 1380, DT_NOCLIP, 0xFFFF4040));
    EXPECT_EQ(described(0, 13), head);

    // The map, last order element first, each without its 2-pixel border;
    // piece 0 (atlas 0,569, 184 x 187, home 712,300) comes last of the 63.
    EXPECT_EQ(draw_log[13 + 62].describe(), sprite_call(2, 571, 182, 754, 714, 302, 0xFFFFFFFF));
    const PieceRecord& last = game.municipality_pieces[62];
    EXPECT_EQ(draw_log[13].describe(),
              sprite_call(static_cast<int>(last.atlas_x) + 2, static_cast<int>(last.atlas_y) + 2,
                          static_cast<int>(last.atlas_x + last.width) - 2, static_cast<int>(last.atlas_y + last.height) - 2,
                          last.home_x + 2, last.home_y + 2, 0xFFFFFFFF));
    // Then every mascot at home, whole and opaque, without slot markers.
    for (int p = 94; p >= 0; --p) {
        const int ax = piece_geometry::mascot_atlas_x(p), ay = piece_geometry::mascot_atlas_y(p);
        EXPECT_EQ(draw_log[13 + 63 + (94 - p)].describe(),
                  sprite_call(ax, ay, ax + 32, ay + 32, piece_geometry::kMascotHomes[p].home_x,
                              piece_geometry::kMascotHomes[p].home_y, 0xFFFFFFFF));
    }

    std::vector<std::string> tail{text_call("mincho_144_bold", ui_texts.title, 0, 80, 1028, 844, DT_NOCLIP, 0xFF000000)};
    static const int lefts[4] = {888, 904, 940, 956};
    tail.push_back(text_call("gothic_16_bold", ui_texts.high_score_municipality, 700, 24, 1024, 56, DT_WORDBREAK, 0xFF000000));
    append(tail, time_digits(digit(0), digit(1), digit(1), digit(5), lefts, 24, 1024, 56));
    tail.push_back(text_call("gothic_16_bold", ui_texts.high_score_mascot, 700, 48, 1024, 80, DT_WORDBREAK, 0xFF000000));
    append(tail, time_digits(digit(5), digit(9), digit(5), digit(9), lefts, 48, 1024, 80));
    EXPECT_EQ(described(13 + 63 + 95, draw_log.size()), tail);
}

TEST_F(Drawing, TitleButtonsLightWhileHoveredOrPressed) {
    game.title_button_state = HoverMunicipality;
    draw();
    EXPECT_EQ(draw_log[9].describe(), sprite_call(0, 1488, 128, 1552, 320, 600, 0xFFFFFFFF));
    EXPECT_EQ(draw_log[11].describe(), sprite_call(0, 1488, 128, 1552, 576, 600, 0xB4FFFFFF));
    game.title_button_state = PressedMunicipality;
    draw();
    EXPECT_EQ(draw_log[9].describe(), sprite_call(0, 1560, 128, 1624, 320, 600, 0xFFFFFFFF));
    game.title_button_state = TitleIdle;
    draw();
    EXPECT_EQ(draw_log[9].colour, 0xB4FFFFFFu);
    EXPECT_EQ(draw_log[11].colour, 0xB4FFFFFFu);
}

TEST_F(Drawing, ScatterDrawsOnlyBackgroundAndPieces) {
    start_from_title(Mascot);
    ASSERT_EQ(game.current_scene, Scatter);
    draw();
    ASSERT_EQ(draw_log.size(), 9u + 63 + 95);
    for (std::size_t k = 9; k < 9 + 63; ++k) EXPECT_EQ(draw_log[k].colour, 0xFFFFFFFFu);  // the map under a mascot game
    for (std::size_t k = 9 + 63; k < draw_log.size(); ++k) EXPECT_EQ(draw_log[k].colour, 0xC0FFFFFFu);

    start_game_state();
    install_drawing_fakes();
    start_from_title(Municipality);
    draw();
    ASSERT_EQ(draw_log.size(), 9u + 63);  // no mascots in a municipality game
    for (std::size_t k = 9; k < draw_log.size(); ++k) EXPECT_EQ(draw_log[k].colour, 0xC0FFFFFFu);
}

// The candidate under the pointer when Escape drops a game is not carried
// into the next one: not drawn opaque through its scatter, and no mascot
// index left to name a piece of the 63.
TEST_F(Drawing, ANewGameStartsWithoutTheLastGamesCandidate) {
    const auto hover_piece = [](int i) {
        const PieceRecord& piece = current_pieces()[i];
        move_logical(piece.x + piece.width / 2, piece.y + piece.height / 2);
        run_frame();
        ASSERT_EQ(game.drag_phase, DragPhase::Hover);
    };
    enter_play(Municipality);
    hover_piece(game.municipality_order[10]);
    escape();
    start_from_title(Municipality);
    draw();
    ASSERT_EQ(draw_log.size(), 9u + 63);
    for (std::size_t k = 9; k < draw_log.size(); ++k) EXPECT_EQ(draw_log[k].colour, 0xC0FFFFFFu) << k;

    enter_play(Mascot);
    for (int p = 0; p < kMascotPieces && game.active_piece < kMunicipalityPieces; ++p) {
        const int i = game.mascot_order[p];
        if (i >= kMunicipalityPieces) hover_piece(i);
    }
    ASSERT_GE(game.active_piece, kMunicipalityPieces);
    escape();
    start_from_title(Municipality);
    EXPECT_EQ(game.active_piece, NO_PIECE);
    EXPECT_EQ(game.drag_phase, DragPhase::Idle);
}

TEST_F(Drawing, MunicipalityPlayWithAHeldPiece) {
    enter_play(Municipality);
    hold_piece(4, 150, 150);
    run_frame(0.45);  // the panel: names arrived, region and remark uncovering
    game.municipality_pieces[9].state = Placed;
    game.municipality_pieces[9].x = game.municipality_pieces[9].home_x;
    game.municipality_pieces[9].y = game.municipality_pieces[9].home_y;
    game.pieces_left = 62;
    game.play_seconds = 75.9;
    set_outer_window(1253, 744);  // client 1235 x 700
    run_frame(0);
    draw();

    ASSERT_EQ(draw_log.size(), 9u + 9 + 63 + 6 + 3 + 5);
    EXPECT_EQ(described(0, 9), background());
    std::vector<std::string> readout;
    const int width_digits[4] = {1, 2, 3, 5}, height_digits[4] = {0, 7, 0, 0};
    const int width_lefts[4] = {870, 886, 902, 918}, height_lefts[4] = {950, 966, 982, 998};
    for (int k = 0; k < 4; ++k)
        readout.push_back(text_call("gothic_16_bold", digit(width_digits[k]), width_lefts[k], 750, 1024, 768, DT_WORDBREAK, 0xFF808080));
    readout.push_back(text_call("gothic_16_bold", ui_text::kTimesSign, 934, 750, 1024, 768, DT_WORDBREAK, 0xFF808080));
    for (int k = 0; k < 4; ++k)
        readout.push_back(text_call("gothic_16_bold", digit(height_digits[k]), height_lefts[k], 750, 1024, 768, DT_WORDBREAK, 0xFF808080));
    EXPECT_EQ(described(9, 18), readout);

    // Pieces: the held one (order element 0, drawn last) and the placed one
    // opaque, the loose ones translucent.
    const PieceRecord& held = game.municipality_pieces[4];
    EXPECT_EQ(game.municipality_order[0], 4);
    EXPECT_EQ(draw_log[18 + 62].describe(),
              sprite_call(static_cast<int>(held.atlas_x) + 2, static_cast<int>(held.atlas_y) + 2,
                          static_cast<int>(held.atlas_x + held.width) - 2, static_cast<int>(held.atlas_y + held.height) - 2,
                          held.x + 2, held.y + 2, 0xFFFFFFFF));
    int opaque = 0;
    for (std::size_t k = 18; k < 18 + 63; ++k) opaque += draw_log[k].colour == 0xFFFFFFFF;
    EXPECT_EQ(opaque, 2);

    const MunicipalityEntry& entry = municipality_entries[4];
    const InfoLabel& region = game.muni_region_label;
    ASSERT_EQ(region.state, Entering);
    const int uncovered = static_cast<int>(10 + region.width);
    std::vector<std::string> panel{
        text_call("meiryo_64", entry.name, 8, 32, 328, 64, DT_NOCLIP, 0xFF000000),
        text_call("meiryo_32", entry.reading, 12, 8, 332, 40, DT_NOCLIP, 0xFF000000),
        text_call("gothic_16a", entry.population, 40, 180, 140, 200, DT_RIGHT, 0xFF000000),
        text_call("gothic_16b", entry.area, 40, 200, 140, 220, DT_RIGHT, 0xFF000000),
        text_call("mincho_16", entry.region, 10, 100, uncovered, 120, 0, 0xFF000000),
        text_call("mincho_16", entry.remark, 10, 120, uncovered, 140, 0, 0xFF000000),
        text_call("gothic_16_bold", ui_text::kPiecesLeft, 632, 24, 1000, 100, DT_WORDBREAK, 0xFF000000),
        text_call("gothic_16_bold", digit(6), 716, 24, 1000, 100, DT_WORDBREAK, 0xFF000000),
        text_call("gothic_16_bold", digit(2), 732, 24, 1000, 100, DT_WORDBREAK, 0xFF000000),
        text_call("gothic_16_bold", ui_text::kElapsedTime, 632, 48, 1000, 100, DT_WORDBREAK, 0xFF000000)};
    static const int lefts[4] = {716, 732, 768, 784};
    append(panel, time_digits(digit(0), digit(1), digit(1), digit(5), lefts, 48, 1000, 100));
    EXPECT_EQ(described(18 + 63, draw_log.size()), panel);
}

TEST_F(Drawing, MunicipalityCandidateIsOpaqueAndTheCountKeepsItsTensDigit) {
    enter_play(Municipality);
    PieceRecord& piece = game.municipality_pieces[7];
    piece.x = 150 - piece.width / 2;
    piece.y = 150 - piece.height / 2;
    move_logical(150, 150);
    run_frame();
    ASSERT_EQ(game.drag_phase, DragPhase::Hover);
    game.pieces_left = 6;
    draw();
    EXPECT_EQ(draw_log[18 + 62].colour, 0xFFFFFFFFu);  // order element 0: the candidate
    EXPECT_EQ(draw_log[18 + 61].colour, 0xC0FFFFFFu);
    // No label shows while nothing is held: the panel is empty.
    EXPECT_EQ(draw_log[18 + 63].text, ui_text::kPiecesLeft);
    EXPECT_EQ(draw_log[18 + 64].text, digit(0));
    EXPECT_EQ(draw_log[18 + 65].text, digit(6));
}

TEST_F(Drawing, MascotPlayShowsSlotsAndTheHintHeldSwitchesTheirPictures) {
    enter_play(Mascot);
    hold_piece(12, 150, 150);
    run_frame(0.3);  // the name has arrived; affiliation and line 1 are uncovering
    PieceRecord& placed = game.mascot_pieces[20];
    placed.state = Placed;
    placed.x = placed.home_x;
    placed.y = placed.home_y;
    // A candidate of its own is impossible while a piece is held; check the
    // colours of held, placed and loose pieces here.
    draw();
    const std::size_t mascots = 9 + 9 + 63;
    ASSERT_EQ(draw_log.size(), mascots + 94 * 2 + 1 + 1 + 3 + 3 + 5);
    for (std::size_t k = 18; k < mascots; ++k) EXPECT_EQ(draw_log[k].colour, 0xFFFFFFFFu);  // the map, opaque
    std::size_t k = mascots;
    for (int p = 94; p >= 0; --p) {
        const int i = game.mascot_order[p];
        const PieceRecord& piece = game.mascot_pieces[i];
        const int ax = static_cast<int>(piece.atlas_x), ay = static_cast<int>(piece.atlas_y);
        if (piece.state != Placed) {
            EXPECT_EQ(draw_log[k++].describe(), sprite_call(0, 1664, 32, 1696, piece.home_x, piece.home_y, 0x80FFFFFF));
        }
        const D3DCOLOR colour = piece.state == Loose ? 0xC0FFFFFF : 0xFFFFFFFF;
        EXPECT_EQ(draw_log[k++].describe(), sprite_call(ax, ay, ax + 32, ay + 32, piece.x, piece.y, colour)) << i;
    }
    EXPECT_EQ(draw_log[k++].describe(), sprite_call(72, 1632, 104, 1664, 976, 16, 0xFFFFFFFF));

    const MascotEntry& entry = mascot_entries[12];
    const int affiliation_right = static_cast<int>(10 + game.mascot_affiliation_label.width);
    const int line_right = static_cast<int>(10 + game.mascot_line_labels[0].width);
    EXPECT_EQ(draw_log[k++].describe(), text_call("meiryo_64", entry.name, 8, 8, 328, 40, DT_NOCLIP, 0xFF000000));
    EXPECT_EQ(draw_log[k++].describe(), text_call("mincho_16", entry.affiliation, 10, 76, affiliation_right, 96, 0, 0xFF000000));
    EXPECT_EQ(draw_log[k++].describe(), text_call("mincho_16", entry.description[0], 10, 96, line_right, 116, 0, 0xFF000000));
    EXPECT_EQ(draw_log[k].text, ui_text::kPiecesLeft);

    // The hint: held while the pointer is on it with the button down; the
    // press has long been seen, and drawing does not consume anything.
    release();
    run_frame();
    move_logical(990, 30);
    run_frame();
    press();
    run_frame();
    game.press_consumed = 0;
    draw();
    EXPECT_EQ(game.press_consumed, 0);
    k = mascots;
    for (int p = 94; p >= 0; --p) {
        const PieceRecord& piece = game.mascot_pieces[game.mascot_order[p]];
        const int ax = static_cast<int>(piece.atlas_x), ay = static_cast<int>(piece.atlas_y);
        if (piece.state != Placed) {
            EXPECT_EQ(draw_log[k++].describe(), sprite_call(ax, ay, ax + 32, ay + 32, piece.home_x, piece.home_y, 0x80FFFFFF));
        }
        ++k;
    }
    EXPECT_EQ(draw_log[k].describe(), sprite_call(104, 1632, 136, 1664, 976, 16, 0xFFFFFFFF));
    move_logical(1005, 30);  // beside the sensitive area, inside the picture
    draw();
    EXPECT_EQ(draw_log[k].describe(), sprite_call(72, 1632, 104, 1664, 976, 16, 0xFFFFFFFF));
}

TEST_F(Drawing, AffiliationFollowsTheFirstLineNotItsOwnState) {
    enter_play(Mascot);
    hold_piece(3, 150, 150);
    game.mascot_affiliation_label.state = Hidden;
    game.mascot_line_labels[0].state = Shown;
    game.mascot_line_labels[0].width = 256;
    game.mascot_affiliation_label.width = 300;
    game.mascot_name_label.state = Hidden;
    draw();
    std::size_t k = 0;
    while (k < draw_log.size() && !draw_log[k].is_text) ++k;
    while (k < draw_log.size() && draw_log[k].font == "gothic_16_bold") ++k;  // the readout
    while (k < draw_log.size() && !draw_log[k].is_text) ++k;
    ASSERT_LT(k + 1, draw_log.size());
    EXPECT_EQ(draw_log[k].text, mascot_entries[3].affiliation);
    EXPECT_EQ(draw_log[k + 1].text, mascot_entries[3].description[0]);
}

TEST_F(Drawing, WindowReadoutClampsToFourDigits) {
    enter_play(Municipality);
    set_outer_window(1, 1);
    run_frame();
    draw();
    for (int k = 0; k < 9; ++k)
        if (k != 4) {
            EXPECT_EQ(draw_log[9 + k].text, digit(0)) << k;
        }
    set_outer_window(20000, 12000);
    run_frame();
    draw();
    for (int k = 0; k < 9; ++k)
        if (k != 4) {
            EXPECT_EQ(draw_log[9 + k].text, digit(9)) << k;
        }
}

TEST_F(Drawing, ClearCompleteWithANewRecord) {
    game.current_scene = Clear;
    game.puzzle_mode = Municipality;
    for (PieceRecord& piece : game.municipality_pieces) piece.state = Placed;
    game.clear_delay = -0.01;
    game.banner_width = 518.7;
    game.clear_button_state = ClearPressed;
    game.play_seconds = 75.9;
    game.new_record = 1;
    draw();
    std::vector<std::string> head = background();
    head.push_back(sprite_call(0, 1560, 128, 1624, 448, 600, 0xFFFFFFFF));
    head.push_back(text_call("gothic_28", ui_texts.caption_play_again, 454, 616, 1482, 1380, DT_NOCLIP, 0xFFFF4040));
    ASSERT_EQ(draw_log.size(), 11u + 63 + 1 + 5 + 1);
    EXPECT_EQ(described(0, 11), head);
    for (std::size_t k = 11; k < 11 + 63; ++k) EXPECT_EQ(draw_log[k].colour, 0xFFFFFFFFu);
    std::vector<std::string> tail{text_call("meiryo_64", ui_text::kGameClear, 16, 16, 534, 100, 0, 0xFFFF8080),
                                  text_call("gothic_16_bold", ui_text::kElapsedTime, 632, 48, 1000, 100, DT_WORDBREAK, 0xFF000000)};
    static const int lefts[4] = {716, 732, 768, 784};
    append(tail, time_digits(digit(0), digit(1), digit(1), digit(5), lefts, 48, 1000, 100));
    tail.push_back(text_call("gothic_16_bold", ui_text::kNewRecord, 832, 46, 1000, 100, DT_WORDBREAK, 0xFFFF0000));
    EXPECT_EQ(described(11 + 63, draw_log.size()), tail);
}

TEST_F(Drawing, ClearBeforeTheBannerIsCompleteShowsOnlyThePartOfTheBanner) {
    game.current_scene = Clear;
    game.puzzle_mode = Mascot;
    game.clear_delay = 0;
    game.banner_width = 511.9;
    game.new_record = 1;
    draw();
    ASSERT_EQ(draw_log.size(), 9u + 63 + 95 + 1);  // no button, no time, no record words
    EXPECT_EQ(draw_log.back().describe(), text_call("meiryo_64", ui_text::kGameClear, 16, 16, 527, 100, 0, 0xFFFF8080));
    game.banner_width = 600;
    game.clear_delay = 0.001;  // still waiting: not complete either
    draw();
    EXPECT_EQ(draw_log.size(), 9u + 63 + 95 + 1);
}

TEST_F(Drawing, NothingIsDrawnWithoutASpriteBatch) {
    sprite = nullptr;
    draw_scene_layers();
    EXPECT_TRUE(draw_log.empty());
}

}  // namespace
