#include "support/game_invariants.h"

#include <cmath>
#include <initializer_list>

#include "state/game_state.h"
#include "scenes/piece_set.h"

namespace {

const char* broken_label(const InfoLabel& label) {
    if (label.state < Hidden || label.state > Shown) return "a label in no state";
    if (!std::isfinite(label.x) || !std::isfinite(label.y) || !std::isfinite(label.width) ||
        !std::isfinite(label.height))
        return "a label at a place that is not a number";
    return nullptr;
}

const char* broken_set(const PieceRecord* pieces, const std::int32_t* order, int count, bool in_play) {
    bool seen[kMascotPieces] = {};
    for (int i = 0; i < count; ++i) {
        const std::int32_t index = order[i];
        if (index < 0 || index >= count) return "an order element out of range";
        if (seen[index]) return "an order that is not a permutation";
        seen[index] = true;
    }
    int held = 0;
    for (int i = 0; i < count; ++i) {
        const PieceRecord& p = pieces[i];
        if (p.state != Loose && p.state != Held && p.state != Placed) return "a piece in no state";
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return "a piece at a place that is not a number";
        if (p.state == Held) {
            ++held;
            if (!in_play) return "a piece held in the set not in play";
            if (game.active_piece != i) return "a held piece that is not the active piece";
            if (game.drag_phase != DragPhase::Dragging) return "a piece held while not dragging";
        }
        if (p.state == Placed && (p.x != p.home_x || p.y != p.home_y)) return "a placed piece away from home";
    }
    if (held > 1) return "more than one piece held";
    return nullptr;
}

const char* broken_play(const PieceSet& set) {
    int not_placed = 0, held = 0;
    for (int i = 0; i < set.count; ++i) {
        not_placed += set.pieces[i].state != Placed;
        held += set.pieces[i].state == Held;
    }
    if (game.pieces_left != not_placed) return "pieces_left is not the number of pieces not placed";
    if (game.current_scene == Clear && not_placed != 0) return "the clear scene with pieces left";
    if (game.current_scene != Play) return nullptr;
    if (game.drag_phase != DragPhase::Idle && (game.active_piece < 0 || game.active_piece >= set.count))
        return "a hover or a drag without an active piece";
    if (game.drag_phase == DragPhase::Dragging && set.pieces[game.active_piece].state != Held)
        return "a drag whose active piece is not held";
    if (held == 1 && game.drag_phase != DragPhase::Dragging) return "a piece held while not dragging";
    // Every centre of the set lies at least 4 pixels inside the screen.
    for (int i = 0; i < set.count; ++i) {
        const double centre = set.pieces[i].x + set.pieces[i].width / 2;
        if (centre < 4 - 1e-9 || centre > 1020 + 1e-9) return "a piece's centre outside the screen";
    }
    return nullptr;
}

}  // namespace

const char* broken_game_invariant() {
    if (game.current_scene < Title || game.current_scene > Clear) return "an unknown scene";
    if (game.puzzle_mode != Municipality && game.puzzle_mode != Mascot) return "an unknown mode";
    const int ts = game.title_button_state;
    if (ts != TitleIdle && ts != HoverMunicipality && ts != PressedMunicipality && ts != HoverMascot &&
        ts != PressedMascot)
        return "an unknown title button state";
    if (game.clear_button_state < ClearIdle || game.clear_button_state > ClearPressed)
        return "an unknown clear button state";
    const auto phase = static_cast<std::int32_t>(game.drag_phase);
    if (phase < 1 || phase > 3) return "an unknown drag phase";
    const PieceSet set = current_piece_set();
    // Stricter than the game needs on the title, where nothing reads the
    // candidate that Escape keeps; but a new game clears it, so it names a
    // piece of the set in play (or none) in every scene.
    if (game.active_piece != NO_PIECE && (game.active_piece < 0 || game.active_piece >= set.count))
        return "an active piece out of range";
    if (const char* why = broken_set(game.municipality_pieces, game.municipality_order, kMunicipalityPieces,
                                     game.puzzle_mode == Municipality))
        return why;
    if (const char* why =
            broken_set(game.mascot_pieces, game.mascot_order, kMascotPieces, game.puzzle_mode == Mascot))
        return why;
    if (game.current_scene == Play || game.current_scene == Clear)
        if (const char* why = broken_play(set)) return why;
    if (!std::isfinite(game.play_seconds) || game.play_seconds < 0) return "a play clock that is not a time";
    if (!std::isfinite(game.scatter_seconds) || game.scatter_seconds < 0) return "a scatter clock that is not a time";
    for (double t : game.best_seconds)
        if (!std::isfinite(t) || t <= 0) return "a best time that is not a time";
    for (const InfoLabel* l : {&game.muni_name_label, &game.muni_reading_label, &game.muni_population_label,
                               &game.muni_area_label, &game.muni_region_label, &game.muni_remark_label,
                               &game.mascot_name_label, &game.mascot_affiliation_label})
        if (const char* why = broken_label(*l)) return why;
    for (const InfoLabel& l : game.mascot_line_labels)
        if (const char* why = broken_label(l)) return why;
    return nullptr;
}
