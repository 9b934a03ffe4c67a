// The Play scene: the search for the piece under the pointer, picking up,
// dragging and dropping, completion and the best time, the clamp that keeps
// pieces on screen, and the info panel's animation.

#include <cmath>
#include <cstring>

#include "content/records.h"
#include "platform/logical_screen.h"
#include "scenes/sound_effects.h"
#include "state/game_state.h"
#include "scenes/piece_set.h"
#include "scenes/scenes.h"

namespace {

constexpr double kDropTolerance = 10;  // logical pixels around the home centre, each axis
// A fingertip covers far more than it seems to point at, and on a small
// screen a piece is smaller than the finger: a finger reaches this many
// device-independent pixels beyond what it touches, at whatever size the
// logical screen is drawn.
constexpr double kFingerReach = 24;
constexpr double kEdgeMargin = 4;      // a piece's centre stays this far inside the screen
constexpr double kScreenWidth = kLogicalWidth;
constexpr double kScreenHeight = kLogicalHeight;

constexpr double kClearDelay = 1.0;

constexpr double kNameSpeed = 128;  // pixels per second, sliding down
constexpr double kLineSpeed = 500;  // pixels per second, uncovering
constexpr double kMunicipalityNameStartY = -24;
constexpr double kMunicipalityReadingStartY = -48;
constexpr double kMunicipalityNameRestY = 32;
constexpr double kMunicipalityReadingRestY = 8;
constexpr double kMunicipalityLineWidth = 300;
constexpr double kMascotNameStartY = -24;
constexpr double kMascotNameRestY = 8;
constexpr double kAffiliationWidth = 300;
constexpr double kMascotLineWidth = 256;

bool valid_piece(const PieceSet& set, std::int32_t index) { return index >= 0 && index < set.count; }

// The finger's reach in logical pixels at the current scale; none while
// the window has no size to measure it by.
double finger_reach() {
    const double scale = game.window_scale;
    return scale > 0 && std::isfinite(scale) ? kFingerReach / scale : 0;
}

bool loose_piece_under_pointer(const PieceSet& set) {
    for (int p = 0; p < set.count; ++p) {
        const PieceRecord& piece = set.pieces[set.order[p]];
        if (piece.state == Loose && pointer_on_piece(piece)) return true;
    }
    return false;
}

// The place in the order of the loose piece whose rectangle is nearest to
// the pointer and within the finger's reach, the front-most of equally near
// ones; -1 if none.
int place_within_reach(const PieceSet& set) {
    const double x = logical_pointer_x();
    const double y = logical_pointer_y();
    const double reach = finger_reach();
    if (!(reach > 0)) return -1;
    int nearest = -1;
    double nearest_squared = reach * reach;
    for (int p = 0; p < set.count; ++p) {
        const PieceRecord& piece = set.pieces[set.order[p]];
        if (piece.state != Loose) continue;
        const double dx = std::fmax(std::fmax(piece.x - x, x - (piece.x + piece.width)), 0);
        const double dy = std::fmax(std::fmax(piece.y - y, y - (piece.y + piece.height)), 0);
        const double squared = dx * dx + dy * dy;
        // A pointer that is not a number is near nothing.
        if (squared < nearest_squared || (nearest < 0 && squared == nearest_squared)) {
            nearest = p;
            nearest_squared = squared;
        }
    }
    return nearest;
}

// Makes the piece at place p of the order the candidate: elements 0 .. p-1
// move one place back and it comes to the front.
void make_candidate(const PieceSet& set, int p) {
    const std::int32_t i = set.order[p];
    game.drag_phase = DragPhase::Hover;
    game.active_piece = i;
    std::memmove(set.order + 1, set.order, sizeof(std::int32_t) * p);
    set.order[0] = i;
}

void search_under_pointer(const PieceSet& set) {
    game.active_piece = NO_PIECE;
    for (int p = 0; p < set.count; ++p) {
        const std::int32_t i = set.order[p];
        if (set.pieces[i].state != Loose || !pointer_on_piece(set.pieces[i])) continue;
        // The search goes on with p + 1, which is still the element after i.
        make_candidate(set, p);
    }
    if (game.active_piece != NO_PIECE || !game.pointer_is_touch) return;
    // A finger where no loose piece lies takes the nearest one in its reach
    // as though it were on it.
    const int reached = place_within_reach(set);
    if (reached >= 0) make_candidate(set, reached);
}

// Whether the candidate is still the one the pointer chooses: under it, or,
// for a finger on no loose piece, the nearest in its reach.
bool pointer_keeps_candidate(const PieceSet& set, const PieceRecord& candidate) {
    if (pointer_on_piece(candidate)) return true;
    if (!game.pointer_is_touch || loose_piece_under_pointer(set)) return false;
    const int reached = place_within_reach(set);
    return reached >= 0 && set.order[reached] == game.active_piece;
}

void start_info_panel() {
    if (playing_mascots()) {
        game.mascot_name_label.state = Entering;
        game.mascot_name_label.y = kMascotNameStartY;
    } else {
        game.muni_name_label.state = Entering;
        game.muni_name_label.y = kMunicipalityNameStartY;
        game.muni_reading_label.state = Entering;
        game.muni_reading_label.y = kMunicipalityReadingStartY;
    }
}

void hide_info_panel() {
    if (playing_mascots()) {
        game.mascot_name_label.state = Hidden;
        game.mascot_affiliation_label.state = Hidden;
        for (InfoLabel& line : game.mascot_line_labels) line.state = Hidden;
    } else {
        game.muni_name_label.state = Hidden;
        game.muni_reading_label.state = Hidden;
        game.muni_region_label.state = Hidden;
        game.muni_remark_label.state = Hidden;
    }
}

void hover_candidate(const PieceSet& set) {
    PieceRecord& candidate = set.pieces[game.active_piece];
    if (!pointer_keeps_candidate(set, candidate)) {
        game.drag_phase = DragPhase::Idle;
        game.active_piece = NO_PIECE;
        return;
    }
    if (!fresh_press()) return;
    game.press_consumed = 1;
    game.drag_phase = DragPhase::Dragging;
    candidate.state = Held;
    play_sound_effect(PickUp);
    start_info_panel();
}

void complete_puzzle() {
    play_sound_effect(PuzzleComplete);
    game.current_scene = Clear;
    game.clear_delay = kClearDelay;
    game.banner_width = 0;
    game.clear_button_state = ClearIdle;
    // Whole seconds against whole seconds; compared as doubles so that no
    // clock value, however large, overflows an integer on the way.
    double& best = game.best_seconds[mode_index()];
    if (std::trunc(game.play_seconds) < std::trunc(best)) {
        game.new_record = 1;
        best = game.play_seconds;
        save_records();
    }
}

void place_piece(const PieceSet& set, PieceRecord& piece) {
    piece.state = Placed;
    piece.x = piece.home_x;
    piece.y = piece.home_y;
    // The placed piece is the front of the order; it goes to the back and
    // everything behind it moves one place forward. (It is searched for, not
    // assumed, so the order stays a permutation whatever happened before.)
    int p = 0;
    while (p < set.count && set.order[p] != game.active_piece) ++p;
    if (p < set.count) {
        std::memmove(set.order + p, set.order + p + 1, sizeof(std::int32_t) * (set.count - 1 - p));
        set.order[set.count - 1] = game.active_piece;
    }
    game.pieces_left -= 1;
    if (game.pieces_left > 0)
        play_sound_effect(DropPlaced);
    else
        complete_puzzle();
}

void drag_piece(const PieceSet& set) {
    PieceRecord& piece = set.pieces[game.active_piece];
    // A client area of no size gives no pointer position; the piece then
    // keeps its place on that axis instead of becoming not-a-number.
    const double pointer_x = logical_pointer_x();
    const double pointer_y = logical_pointer_y();
    if (!std::isnan(pointer_x)) piece.x = pointer_x - piece.width / 2;
    if (!std::isnan(pointer_y)) piece.y = pointer_y - piece.height / 2;
    if (game.mouse_down == 1) return;

    game.drag_phase = DragPhase::Idle;
    hide_info_panel();
    const double centre_x = piece.home_x + piece.width / 2;
    const double centre_y = piece.home_y + piece.height / 2;
    // A finger lets go less exactly than a mouse: it snaps within its reach
    // when that is the wider.
    const double tolerance = game.pointer_is_touch ? std::fmax(kDropTolerance, finger_reach()) : kDropTolerance;
    const bool home = pointer_in_logical_rect(centre_x - tolerance, centre_y - tolerance, centre_x + tolerance,
                                              centre_y + tolerance);
    if (!home) {
        game.drag_phase = DragPhase::Hover;
        piece.state = Loose;
        play_sound_effect(DropLoose);
        return;
    }
    place_piece(set, piece);
}

// Slides a name label down to its resting row; true in the frame it arrives.
bool slide_down(InfoLabel& label, double rest_y) {
    if (label.state != Entering) return false;
    label.y += kNameSpeed * game.frame_seconds;
    if (!(label.y > rest_y)) return false;
    label.y = rest_y;
    label.state = Shown;
    return true;
}

// Uncovers a line from the left; true in the frame it is fully shown.
bool uncover(InfoLabel& label, double full_width) {
    if (label.state != Entering) return false;
    label.width += kLineSpeed * game.frame_seconds;
    if (!(label.width > full_width)) return false;
    label.width = full_width;
    label.state = Shown;
    return true;
}

void start_line(InfoLabel& label) {
    label.state = Entering;
    label.width = 0;
}

void animate_info_panel() {
    if (playing_mascots()) {
        if (slide_down(game.mascot_name_label, kMascotNameRestY)) {
            start_line(game.mascot_affiliation_label);
            start_line(game.mascot_line_labels[0]);
        }
        uncover(game.mascot_affiliation_label, kAffiliationWidth);
        for (int line = 0; line < kMascotLines; ++line) {
            if (uncover(game.mascot_line_labels[line], kMascotLineWidth) && line + 1 < kMascotLines)
                start_line(game.mascot_line_labels[line + 1]);
        }
    } else {
        if (slide_down(game.muni_name_label, kMunicipalityNameRestY)) {
            start_line(game.muni_region_label);
            start_line(game.muni_remark_label);
        }
        slide_down(game.muni_reading_label, kMunicipalityReadingRestY);
        uncover(game.muni_region_label, kMunicipalityLineWidth);
        uncover(game.muni_remark_label, kMunicipalityLineWidth);
    }
}

}  // namespace

// The play clock is left to run without bound: a double counts frame times
// for far longer than any session, the record rule compares whole seconds
// however large, and the time display is what limits itself to 99:59.
void update_play() {
    const PieceSet set = current_piece_set();
    game.play_seconds += game.frame_seconds;

    switch (game.drag_phase) {
        case DragPhase::Idle:
            search_under_pointer(set);
            // A finger's press comes with its first touch: it takes the
            // piece it finds in the same update, where a mouse has already
            // pointed at it in an earlier one.
            if (game.pointer_is_touch && game.drag_phase == DragPhase::Hover && valid_piece(set, game.active_piece))
                hover_candidate(set);
            break;
        case DragPhase::Hover:
            if (valid_piece(set, game.active_piece))
                hover_candidate(set);
            else
                game.drag_phase = DragPhase::Idle;  // no candidate to hover: search again next frame
            break;
        case DragPhase::Dragging:
            if (valid_piece(set, game.active_piece))
                drag_piece(set);
            else
                game.drag_phase = DragPhase::Idle;
            break;
        default: game.drag_phase = DragPhase::Idle; break;
    }

    clamp_pieces();
    animate_info_panel();
}

void clamp_pieces() {
    const PieceSet set = current_piece_set();
    for (int i = 0; i < set.count; ++i) {
        PieceRecord& piece = set.pieces[i];
        if (piece.x + piece.width / 2 < kEdgeMargin) piece.x = kEdgeMargin - piece.width / 2;
        if (piece.x + piece.width / 2 + kEdgeMargin > kScreenWidth) piece.x = kScreenWidth - piece.width / 2 - kEdgeMargin;
        if (piece.y + piece.height / 2 < kEdgeMargin) piece.y = kEdgeMargin - piece.height / 2;
        if (piece.y + piece.height / 2 + kEdgeMargin > kScreenHeight)
            piece.y = kScreenHeight - piece.height / 2 - kEdgeMargin;
    }
}
