// The title scene: two mode buttons, each pressed on a fresh press over it
// and acted on at the release, unless the pointer left it while held.

#include "scenes/sound_effects.h"
#include "state/game_state.h"
#include "scenes/scenes.h"

namespace {

struct ButtonArea {
    double left, top, right, bottom;
};
constexpr ButtonArea kMunicipalityButton{320, 600, 448, 664};
constexpr ButtonArea kMascotButton{576, 600, 704, 664};

bool pointer_on(const ButtonArea& area) {
    return pointer_in_logical_rect(area.left, area.top, area.right, area.bottom);
}

void start_game(PuzzleMode mode) {
    game.title_button_state = TitleIdle;
    game.scatter_seconds = 0;
    game.puzzle_mode = mode;
    game.current_scene = Scatter;
    setup_new_game();
    play_sound_effect(GameStart);
    game.new_record = 0;
}

// Hover: the state drops to Idle when the pointer has left, and a fresh
// press moves it to Pressed whatever that test gave.
void hover(const ButtonArea& area, TitleButtonState pressed) {
    if (!pointer_on(area)) game.title_button_state = TitleIdle;
    if (fresh_press()) {
        game.press_consumed = 1;
        game.title_button_state = pressed;
    }
}

// Pressed: likewise, and the release starts the game even in the update in
// which the pointer leaves.
void pressed(const ButtonArea& area, PuzzleMode mode) {
    if (!pointer_on(area)) game.title_button_state = TitleIdle;
    if (game.mouse_down == 0) start_game(mode);
}

}  // namespace

void update_title() {
    switch (game.title_button_state) {
        case TitleIdle:
            if (pointer_on(kMunicipalityButton))
                game.title_button_state = HoverMunicipality;
            else if (pointer_on(kMascotButton))
                game.title_button_state = HoverMascot;
            // A finger's press comes with its first touch: it presses the
            // button it lights, in the same update.
            if (game.pointer_is_touch && game.title_button_state != TitleIdle) update_title();
            break;
        case HoverMunicipality: hover(kMunicipalityButton, PressedMunicipality); break;
        case PressedMunicipality: pressed(kMunicipalityButton, Municipality); break;
        case HoverMascot: hover(kMascotButton, PressedMascot); break;
        case PressedMascot: pressed(kMascotButton, Mascot); break;
        default:
            // Not a state of the buttons: start over from neither button.
            game.title_button_state = TitleIdle;
            break;
    }
}
