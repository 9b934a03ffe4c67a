// The one global record of the game: the scene and mode, both piece sets
// and their orders, the clocks, the mouse and window fields, the info-panel
// labels, the button states and the best times. Everything the scenes share
// lives here; the scenes talk to each other only through these fields.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

enum SceneId : std::int32_t { Title = 0, Scatter = 1, Play = 2, Clear = 3 };
enum PuzzleMode : std::int32_t { Municipality = 0, Mascot = 1 };
enum PieceState : std::int32_t { Loose = 1, Held = 2, Placed = 3 };
enum LabelState : std::int32_t { Hidden = 0, Entering = 1, Shown = 2 };
enum class DragPhase : std::int32_t { Idle = 1, Hover = 2, Dragging = 3 };
enum class FadePhase : std::int32_t { None = 0, FadingOut = 1, FadingIn = 2 };

enum TitleButtonState : std::int32_t {
    TitleIdle = 0,
    HoverMunicipality = 1,
    PressedMunicipality = 2,
    HoverMascot = 11,
    PressedMascot = 12,
};

enum ClearButtonState : std::int32_t { ClearIdle = 0, ClearHover = 1, ClearPressed = 2 };

constexpr int kMunicipalityPieces = 63;
constexpr int kMascotPieces = 95;
constexpr std::int32_t NO_PIECE = 99;
constexpr int kMascotLines = 5;
constexpr double kNoRecordSeconds = 3599.0;

struct PieceRecord {
    std::int32_t state;
    double x, y;
    double home_x, home_y;
    double scatter_x, scatter_y;
    double atlas_x, atlas_y;
    double width, height;
};

struct InfoLabel {
    std::int32_t state;
    double x, y, width, height;
};

struct GameState {
    // Scenes (scene controller, title, clear).
    std::int32_t current_scene = Title;
    std::int32_t puzzle_mode = Municipality;
    std::int32_t next_scene = Title;
    FadePhase fade_phase = FadePhase::None;
    double fade_alpha = 255.0;

    // Window and pointer (window procedure, scene controller).
    double mouse_x = 0.0, mouse_y = 0.0;
    std::uint8_t mouse_down = 0;
    std::uint8_t press_consumed = 0;
    std::uint8_t window_active = 0;
    RECT window_rect{0, 0, 0, 0};
    double window_width = 0.0, window_height = 0.0;
    double frame_seconds = 0.0;
    // Whether the last mouse message was made by a finger (its extra
    // information carries the touch mark), and how large a logical pixel is
    // drawn, in device-independent pixels (platform/window.h): a finger
    // reaches a little beyond what it touches.
    std::uint8_t pointer_is_touch = 0;
    double window_scale = 1.0;

    // Pieces and scatter.
    PieceRecord municipality_pieces[kMunicipalityPieces]{};
    PieceRecord mascot_pieces[kMascotPieces]{};
    std::int32_t municipality_order[kMunicipalityPieces]{};
    std::int32_t mascot_order[kMascotPieces]{};
    std::int32_t pieces_left = 0;
    double scatter_seconds = 0.0;

    // Play.
    double play_seconds = 0.0;
    DragPhase drag_phase = DragPhase::Idle;
    std::int32_t active_piece = NO_PIECE;
    std::uint8_t new_record = 0;

    // Info panel.
    InfoLabel muni_name_label{}, muni_reading_label{}, muni_population_label{}, muni_area_label{},
        muni_region_label{}, muni_remark_label{};
    InfoLabel mascot_name_label{}, mascot_affiliation_label{};
    InfoLabel mascot_line_labels[kMascotLines]{};

    // Title and clear.
    std::int32_t title_button_state = HoverMunicipality;
    double clear_delay = 0.0;
    double banner_width = 0.0;
    std::int32_t clear_button_state = ClearIdle;

    // Records.
    double best_seconds[2] = {kNoRecordSeconds, kNoRecordSeconds};
};

extern GameState game;

// A press is new while the button is down and no scene step has taken it yet.
inline bool fresh_press() { return game.mouse_down == 1 && game.press_consumed == 0; }
