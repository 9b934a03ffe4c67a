// The puzzle on screen: both piece sets with their translucency, the mascot
// home slots and the hint button, and the play screen's readout, info panel
// and counters.

#include "content/catalogue.h"
#include "content/piece_geometry.h"
#include "scenes/drawing.h"
#include "state/game_state.h"
#include "scenes/labels.h"
#include "ui_text.h"
#include "scenes/piece_set.h"
#include "scenes/scenes.h"

using namespace drawing;

namespace {

constexpr int kBorder = 2;  // municipality pictures lose this much on every side

bool is_candidate(std::int32_t index) { return game.drag_phase == DragPhase::Hover && index == game.active_piece; }

void draw_municipality_pieces() {
    const std::int32_t scene = game.current_scene;
    const bool loose_is_translucent = game.puzzle_mode == Municipality && (scene == Scatter || scene == Play);
    for (int p = kMunicipalityPieces - 1; p >= 0; --p) {
        const std::int32_t i = game.municipality_order[p];
        if (i < 0 || i >= kMunicipalityPieces) continue;
        const PieceRecord& piece = game.municipality_pieces[i];
        const int left = trunc_to_int(piece.atlas_x) + kBorder;
        const int top = trunc_to_int(piece.atlas_y) + kBorder;
        const RECT source = make_rect(left, top, trunc_to_int(left + piece.width) - 2 * kBorder,
                                      trunc_to_int(top + piece.height) - 2 * kBorder);
        const bool translucent = loose_is_translucent && piece.state == Loose && !is_candidate(i);
        draw_sprite(source, piece.x + kBorder, piece.y + kBorder, translucent ? kTranslucent : kOpaque);
    }
}

D3DCOLOR mascot_colour(const PieceRecord& piece, std::int32_t index) {
    switch (game.current_scene) {
        case Play:
            if (piece.state == Loose && !is_candidate(index)) return kTranslucent;
            return kOpaque;
        case Scatter: return kTranslucent;
        default: return kOpaque;
    }
}

void draw_mascot_pieces(bool hint) {
    const bool slots = game.current_scene == Play;
    const RECT marker{piece_geometry::kSlotMarker.left, piece_geometry::kSlotMarker.top,
                      piece_geometry::kSlotMarker.right, piece_geometry::kSlotMarker.bottom};
    for (int p = kMascotPieces - 1; p >= 0; --p) {
        const std::int32_t i = game.mascot_order[p];
        if (i < 0 || i >= kMascotPieces) continue;
        const PieceRecord& piece = game.mascot_pieces[i];
        const int left = trunc_to_int(piece.atlas_x);
        const int top = trunc_to_int(piece.atlas_y);
        if (slots && piece.state != Placed) {
            const RECT source = hint ? make_rect(left, top, left + 32, top + 32) : marker;
            draw_sprite(source, piece.home_x, piece.home_y, kHalf);
        }
        const RECT source =
            make_rect(left, top, trunc_to_int(left + piece.width), trunc_to_int(top + piece.height));
        draw_sprite(source, piece.x, piece.y, mascot_colour(piece, i));
    }
}

void draw_hint_button(bool hint) {
    const piece_geometry::AtlasRect& r = hint ? piece_geometry::kHintButtonPressed : piece_geometry::kHintButton;
    draw_sprite(make_rect(r.left, r.top, r.right, r.bottom), 976, 16, kOpaque);
}

void draw_label(const InfoLabel& label, ID3DXFont* font, const char* text, DWORD format) {
    draw_text(font, text, label_rect(label), format, kBlack);
}

void draw_municipality_panel(const MunicipalityEntry& entry) {
    if (game.muni_name_label.state != Hidden) draw_label(game.muni_name_label, font_meiryo_64, entry.name, DT_NOCLIP);
    if (game.muni_reading_label.state != Hidden)
        draw_label(game.muni_reading_label, font_meiryo_32, entry.reading, DT_NOCLIP);
    // Population and area never move and have no state of their own: they
    // come and go with the remark.
    if (game.muni_remark_label.state != Hidden) {
        draw_label(game.muni_population_label, font_gothic_16a, entry.population, DT_RIGHT);
        draw_label(game.muni_area_label, font_gothic_16b, entry.area, DT_RIGHT);
        draw_label(game.muni_region_label, font_mincho_16, entry.region, 0);
        draw_label(game.muni_remark_label, font_mincho_16, entry.remark, 0);
    }
}

void draw_mascot_panel(const MascotEntry& entry) {
    if (game.mascot_name_label.state != Hidden)
        draw_label(game.mascot_name_label, font_meiryo_64, entry.name, DT_NOCLIP);
    // The affiliation is shown with the first line; its own state only
    // drives the growth of its width.
    if (game.mascot_line_labels[0].state != Hidden) {
        draw_label(game.mascot_affiliation_label, font_mincho_16, entry.affiliation, 0);
        draw_label(game.mascot_line_labels[0], font_mincho_16, entry.description[0], 0);
    }
    for (int line = 1; line < kMascotLines; ++line) {
        if (game.mascot_line_labels[line].state != Hidden)
            draw_label(game.mascot_line_labels[line], font_mincho_16, entry.description[line], 0);
    }
}

void draw_info_panel() {
    // The panel shows the active piece's entry; with no piece of the set
    // active there is nothing to show, whatever the labels say.
    const PieceSet set = current_piece_set();
    if (game.active_piece < 0 || game.active_piece >= set.count) return;
    if (playing_mascots())
        draw_mascot_panel(mascot_entries[game.active_piece]);
    else
        draw_municipality_panel(municipality_entries[game.active_piece]);
}

void draw_digit(int digit, int left, int top, int right, int bottom, D3DCOLOR colour) {
    draw_text(font_gothic_16_bold, ui_texts.digits[digit], make_rect(left, top, right, bottom), DT_WORDBREAK, colour);
}

void draw_counters() {
    draw_text(font_gothic_16_bold, ui_text::kPiecesLeft, make_rect(632, 24, 1000, 100), DT_WORDBREAK, kBlack);
    // Two digits are all the caption has room for; the count never leaves
    // 0..95, the clamp only keeps a bad value from indexing past the digits.
    int left = game.pieces_left;
    if (left < 0) left = 0;
    if (left > 99) left = 99;
    draw_digit(left / 10, 716, 24, 1000, 100, kBlack);
    draw_digit(left % 10, 732, 24, 1000, 100, kBlack);

    draw_text(font_gothic_16_bold, ui_text::kElapsedTime, make_rect(632, 48, 1000, 100), DT_WORDBREAK, kBlack);
    static const int kLefts[4] = {716, 732, 768, 784};
    draw_time_digits(game.play_seconds, kLefts, 48, 1000, 100);
}

// One figure of the readout as four digits, thousands first.
void draw_figure(double value, const int lefts[4]) {
    int figure = trunc_to_int(value);
    if (figure < 0) figure = 0;
    if (figure > 9999) figure = 9999;
    const int digits[4] = {figure / 1000, figure % 1000 / 100, figure % 100 / 10, figure % 10};
    for (int k = 0; k < 4; ++k) draw_digit(digits[k], lefts[k], 750, 1024, 768, kGrey);
}

}  // namespace

void draw_pieces() {
    const bool hint = drawing::hint_held();
    draw_municipality_pieces();
    if (game.current_scene == Title || game.puzzle_mode == Mascot) draw_mascot_pieces(hint);
    if (game.current_scene == Play && game.puzzle_mode == Mascot) draw_hint_button(hint);
}

void draw_window_size_readout() {
    static const int kWidthLefts[4] = {870, 886, 902, 918};
    static const int kHeightLefts[4] = {950, 966, 982, 998};
    draw_figure(game.window_width - kFrameAllowanceWidth, kWidthLefts);
    draw_text(font_gothic_16_bold, ui_text::kTimesSign, make_rect(934, 750, 1024, 768), DT_WORDBREAK, kGrey);
    draw_figure(game.window_height - kFrameAllowanceHeight, kHeightLefts);
}

void draw_play_hud() {
    draw_info_panel();
    draw_counters();
}
