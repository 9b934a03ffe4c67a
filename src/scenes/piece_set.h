// The set of pieces that the current mode plays, and the pointer in logical
// pixels: what the scatter, the play scene and the drawing share.
#pragma once

#include <cstdint>

#include "platform/logical_screen.h"
#include "state/game_state.h"

struct PieceSet {
    PieceRecord* pieces;
    std::int32_t* order;
    int count;
};

// Any puzzle_mode other than Mascot plays the map, so a stray value can never
// index past either set or past best_seconds.
inline bool playing_mascots() { return game.puzzle_mode == Mascot; }
inline int mode_index() { return playing_mascots() ? 1 : 0; }

inline PieceSet current_piece_set() {
    if (playing_mascots()) return {game.mascot_pieces, game.mascot_order, kMascotPieces};
    return {game.municipality_pieces, game.municipality_order, kMunicipalityPieces};
}

// The pointer mapped into the 1024 x 768 logical screen. With a client area
// of no width or height this is infinite or, for a pointer at 0, not a number.
inline double logical_pointer_x() {
    return game.mouse_x / (game.window_width - kFrameAllowanceWidth) * kLogicalWidth;
}
inline double logical_pointer_y() {
    return game.mouse_y / (game.window_height - kFrameAllowanceHeight) * kLogicalHeight;
}

// Whether the pointer lies on the piece's picture, edges included.
bool pointer_on_piece(const PieceRecord& piece);
