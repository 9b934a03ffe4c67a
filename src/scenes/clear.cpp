// The Clear scene: a second's wait, the banner uncovered from the left, and
// then the play-again button, which starts the same mode anew.

#include "content/records.h"
#include "scenes/sound_effects.h"
#include "state/game_state.h"
#include "scenes/scenes.h"

namespace {

constexpr double kBannerFullWidth = 512;
constexpr double kBannerSpeed = 500;  // pixels per second
constexpr double kPlayAgainLeft = 448, kPlayAgainTop = 600, kPlayAgainRight = 576, kPlayAgainBottom = 664;

bool pointer_on_button() {
    return pointer_in_logical_rect(kPlayAgainLeft, kPlayAgainTop, kPlayAgainRight, kPlayAgainBottom);
}

void play_again() {
    game.clear_button_state = ClearIdle;
    game.current_scene = Scatter;
    game.scatter_seconds = 0;
    load_records();
    setup_new_game();
    play_sound_effect(GameStart);
    game.new_record = 0;
}

}  // namespace

void update_clear() {
    if (game.clear_delay > 0) game.clear_delay -= game.frame_seconds;
    if (game.clear_delay > 0) return;
    if (game.banner_width < kBannerFullWidth) {
        game.banner_width += kBannerSpeed * game.frame_seconds;  // may pass 512; never clamped
        return;
    }

    switch (game.clear_button_state) {
        case ClearIdle:
            if (pointer_on_button()) game.clear_button_state = ClearHover;
            // A finger's press comes with its first touch: it presses the
            // button it lights.
            if (!(game.pointer_is_touch && game.clear_button_state == ClearHover)) break;
            [[fallthrough]];
        case ClearHover:
            if (!pointer_on_button()) game.clear_button_state = ClearIdle;
            if (fresh_press()) {
                game.press_consumed = 1;
                game.clear_button_state = ClearPressed;
            }
            break;
        case ClearPressed:
            if (!pointer_on_button()) game.clear_button_state = ClearIdle;
            if (game.mouse_down == 0) play_again();
            break;
        default: game.clear_button_state = ClearIdle; break;
    }
}
