// The two piece sets: the reset to the solved map, the choice of where each
// piece is thrown at a new game, and the Scatter scene that flies them there.

#include <cstdlib>

#include "state/game_state.h"
#include "scenes/labels.h"
#include "scenes/piece_set.h"
#include "scenes/scenes.h"

namespace {

// Municipality cells: 16 columns of 64 pixels by rows of 68, centres from
// (32, 548); 63 cells, drawn independently, so pieces may share a cell.
constexpr int kMunicipalityCells = 63;
constexpr int kMunicipalityColumns = 16;
constexpr double kMunicipalityCellWidth = 64;
constexpr double kMunicipalityCellHeight = 68;
constexpr double kMunicipalityFirstCentreX = 32;
constexpr double kMunicipalityFirstCentreY = 548;

// Mascot cells: 20 columns of 48 by 5 rows of 40, top-left corners from
// (40, 568); every mascot gets a cell of its own.
constexpr int kMascotColumns = 20;
constexpr int kMascotRows = 5;
constexpr double kMascotCellWidth = 48;
constexpr double kMascotCellHeight = 40;
constexpr double kMascotFirstLeft = 40;
constexpr double kMascotFirstTop = 568;
constexpr int kMascotAttempts = 10000;
constexpr int kNoCell = 999;

constexpr double kScatterSpeed = 800;       // pixels per second
constexpr double kSnapDistanceSquared = 144;  // within 12 pixels
constexpr double kScatterDuration = 2.0;      // seconds

void reset_set(PieceRecord* pieces, std::int32_t* order, int count) {
    for (int i = 0; i < count; ++i) {
        pieces[i].state = Loose;
        pieces[i].x = pieces[i].home_x;
        pieces[i].y = pieces[i].home_y;
        order[i] = i;
    }
}

void setup_municipality_game() {
    game.pieces_left = kMunicipalityPieces;
    for (int i = 0; i < kMunicipalityPieces; ++i) {
        PieceRecord& piece = game.municipality_pieces[i];
        piece.state = Loose;
        game.municipality_order[i] = i;
        const int cell = std::rand() % kMunicipalityCells;
        piece.scatter_x = (cell % kMunicipalityColumns) * kMunicipalityCellWidth + kMunicipalityFirstCentreX -
                          piece.width / 2;
        piece.scatter_y = (cell / kMunicipalityColumns) * kMunicipalityCellHeight + kMunicipalityFirstCentreY -
                          piece.height / 2;
    }
}

void setup_mascot_game() {
    game.pieces_left = kMascotPieces;
    int used_cells[kMascotPieces];
    for (int& cell : used_cells) cell = kNoCell;

    for (int i = 0; i < kMascotPieces; ++i) {
        PieceRecord& piece = game.mascot_pieces[i];
        piece.state = Loose;
        game.mascot_order[i] = i;
        for (int attempt = 0; attempt < kMascotAttempts; ++attempt) {
            const int column = std::rand() % kMascotColumns;
            const int row = std::rand() % kMascotRows;
            const int cell = row * kMascotColumns + column;
            bool taken = false;
            for (int j = 0; j < i; ++j) {
                if (used_cells[j] == cell) {
                    taken = true;
                    break;
                }
            }
            if (taken) continue;
            piece.scatter_x = column * kMascotCellWidth + kMascotFirstLeft;
            piece.scatter_y = row * kMascotCellHeight + kMascotFirstTop;
            used_cells[i] = cell;
            break;
        }
    }
}

// One frame of flight towards the target. The distances are taken afresh
// before every step, so an overshoot on an axis is answered by a step back
// in the same frame, and y moves after x has.
void fly_towards_target(PieceRecord& piece, double seconds) {
    double dx = 0, dy = 0, d = 0;
    const auto measure = [&] {
        dx = piece.scatter_x - piece.x;
        dy = piece.scatter_y - piece.y;
        d = dx * dx + dy * dy;
    };
    // d is 0 only when both distances are too small to square; the step is
    // then nothing, and skipping it keeps 0 / 0 out of the position.
    measure();
    if (piece.x < piece.scatter_x && d > 0) piece.x += dx * dx / d * kScatterSpeed * seconds;
    measure();
    if (piece.x > piece.scatter_x && d > 0) piece.x -= dx * dx / d * kScatterSpeed * seconds;
    measure();
    if (piece.y < piece.scatter_y && d > 0) piece.y += dy * dy / d * kScatterSpeed * seconds;
    measure();
    if (piece.y > piece.scatter_y && d > 0) piece.y -= dy * dy / d * kScatterSpeed * seconds;
    measure();
    if (d <= kSnapDistanceSquared) {
        piece.x = piece.scatter_x;
        piece.y = piece.scatter_y;
    }
}

}  // namespace

void reset_board() {
    reset_set(game.municipality_pieces, game.municipality_order, kMunicipalityPieces);
    reset_set(game.mascot_pieces, game.mascot_order, kMascotPieces);
    reset_labels();
}

void setup_new_game() {
    // A new game starts with no candidate: the last game's, kept through
    // Escape, would be drawn opaque during the scatter, or name a piece the
    // other set does not have.
    game.drag_phase = DragPhase::Idle;
    game.active_piece = NO_PIECE;
    if (playing_mascots())
        setup_mascot_game();
    else
        setup_municipality_game();
}

void update_scatter() {
    const PieceSet set = current_piece_set();
    for (int i = 0; i < set.count; ++i) {
        PieceRecord& piece = set.pieces[i];
        if (piece.x != piece.scatter_x || piece.y != piece.scatter_y) fly_towards_target(piece, game.frame_seconds);
    }

    game.scatter_seconds += game.frame_seconds;
    if (game.scatter_seconds > kScatterDuration) {
        game.current_scene = Play;
        game.play_seconds = 0;
        game.drag_phase = DragPhase::Idle;
        for (int i = 0; i < set.count; ++i) {
            set.pieces[i].x = set.pieces[i].scatter_x;
            set.pieces[i].y = set.pieces[i].scatter_y;
        }
    }
}
