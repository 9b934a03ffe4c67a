// The per-frame dispatch to the current scene, the press latch, and the one
// hit test of the game.

#include "platform/logical_screen.h"
#include "platform/window.h"
#include "state/game_state.h"
#include "scenes/piece_set.h"
#include "scenes/scenes.h"
#include "state/platform_objects.h"

namespace {

constexpr double kFadeOutSpeed = 1100;  // alpha per second
constexpr double kFadeInSpeed = 700;
constexpr double kOpaque = 255;

// Scene changes are written straight into current_scene by the scenes
// themselves, so nothing ever starts a fade and this never runs in the
// game. The fields and the two branches are kept, complete and correct, so
// that a scene change could be routed through a fade by setting next_scene
// and fade_phase = FadingOut. During a fade no scene update runs and the
// press latch is left alone, so a press waits for the scene behind it.
void advance_fade() {
    if (game.fade_phase == FadePhase::FadingOut) {
        game.fade_alpha -= kFadeOutSpeed * game.frame_seconds;
        if (game.fade_alpha <= 0) {
            game.fade_alpha = 0;
            game.current_scene = game.next_scene;
            game.fade_phase = FadePhase::FadingIn;
        }
    } else if (game.fade_phase == FadePhase::FadingIn) {
        game.fade_alpha += kFadeInSpeed * game.frame_seconds;
        if (game.fade_alpha >= kOpaque) {
            game.fade_alpha = kOpaque;
            game.fade_phase = FadePhase::None;
        }
    } else {
        // Not a phase the game knows: end the fade rather than freeze the game.
        game.fade_phase = FadePhase::None;
    }
}

}  // namespace

void update_frame() {
    if (main_window != nullptr) {
        GetWindowRect(main_window, &game.window_rect);
        game.window_scale = logical_pixel_scale(main_window);
    }
    game.window_width = static_cast<double>(game.window_rect.right) - game.window_rect.left;
    game.window_height = static_cast<double>(game.window_rect.bottom) - game.window_rect.top;

    if (game.window_active == 0) return;

    if (game.fade_phase != FadePhase::None) {
        advance_fade();
        return;
    }

    switch (game.current_scene) {
        case Title: update_title(); break;
        case Scatter: update_scatter(); break;
        case Play: update_play(); break;
        case Clear: update_clear(); break;
        default: break;
    }
    game.press_consumed = 1;
}

bool pointer_in_logical_rect(double x0, double y0, double x1, double y1) {
    const double client_width = game.window_width - kFrameAllowanceWidth;
    const double client_height = game.window_height - kFrameAllowanceHeight;
    return client_width * x0 / kLogicalWidth <= game.mouse_x && game.mouse_x <= client_width * x1 / kLogicalWidth &&
           client_height * y0 / kLogicalHeight <= game.mouse_y &&
           game.mouse_y <= client_height * y1 / kLogicalHeight;
}

bool pointer_on_piece(const PieceRecord& piece) {
    return pointer_in_logical_rect(piece.x, piece.y, piece.x + piece.width, piece.y + piece.height);
}
