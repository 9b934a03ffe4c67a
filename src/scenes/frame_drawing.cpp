// The layers of every frame, in their order: the background, the title's
// and the clear scene's buttons and texts around the pieces and the play
// screen. Drawing reads the game state and never changes it.

#include <climits>
#include <cmath>

#include "content/piece_geometry.h"
#include "scenes/drawing.h"
#include "state/game_state.h"
#include "scenes/labels.h"
#include "ui_text.h"
#include "scenes/scenes.h"

namespace drawing {

int trunc_to_int(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

RECT make_rect(int left, int top, int right, int bottom) {
    RECT rect;
    rect.left = left;
    rect.top = top;
    rect.right = right;
    rect.bottom = bottom;
    return rect;
}

void draw_sprite(const RECT& source, double x, double y, D3DCOLOR colour) {
    const D3DXVECTOR3 position{static_cast<float>(x), static_cast<float>(y), 0.0f};
    sprite->Draw(atlas_texture, &source, nullptr, &position, colour);
}

void draw_text(ID3DXFont* font, const char* text, RECT rect, DWORD format, D3DCOLOR colour) {
    if (font == nullptr || text == nullptr) return;
    font->DrawTextA(sprite, text, -1, &rect, format, colour);
}

bool banner_complete() { return game.clear_delay <= 0 && game.banner_width >= 512; }

bool hint_held() { return pointer_in_logical_rect(976, 16, 1004, 48) && game.mouse_down == 1; }

}  // namespace drawing

using namespace drawing;

namespace {

RECT atlas_rect(const piece_geometry::AtlasRect& r) { return make_rect(r.left, r.top, r.right, r.bottom); }

// The upper 568 rows as one picture, the band below tiled from its corner:
// two rows of four tiles, the second running past the bottom of the screen.
void draw_background() {
    draw_sprite(atlas_rect(piece_geometry::kBackground), 0, 0, kOpaque);
    const RECT tile = atlas_rect(piece_geometry::kBackgroundTile);
    for (int i = 0; i < 4; ++i) {
        draw_sprite(tile, 256.0 * i, 568, kOpaque);
        draw_sprite(tile, 256.0 * i, 684, kOpaque);
    }
}

// A button picture with its caption; only the caption's top-left corner
// matters under DT_NOCLIP, the rest of its rectangle is 1028 x 764 beyond.
void draw_button(double x, bool pressed, D3DCOLOR colour, const char* caption, int caption_left) {
    draw_sprite(atlas_rect(pressed ? piece_geometry::kButtonPressed : piece_geometry::kButton), x, 600, colour);
    draw_text(font_gothic_28, caption, make_rect(caption_left, 616, caption_left + 1028, 1380), DT_NOCLIP,
              kCaptionRed);
}

void draw_title_buttons() {
    const std::int32_t state = game.title_button_state;
    const bool municipality_lit = state == HoverMunicipality || state == PressedMunicipality;
    draw_button(320, state == PressedMunicipality, municipality_lit ? kOpaque : kFaded,
                ui_texts.caption_municipality, 340);
    const bool mascot_lit = state == HoverMascot || state == PressedMascot;
    draw_button(576, state == PressedMascot, mascot_lit ? kOpaque : kFaded, ui_texts.caption_mascot, 596);
}

void draw_title_texts() {
    draw_text(font_mincho_144_bold, ui_texts.title, make_rect(0, 80, 1028, 844), DT_NOCLIP, kBlack);
    static const int kLefts[4] = {888, 904, 940, 956};
    draw_text(font_gothic_16_bold, ui_texts.high_score_municipality, make_rect(700, 24, 1024, 56), DT_WORDBREAK,
              kBlack);
    draw_time_digits(game.best_seconds[0], kLefts, 24, 1024, 56);
    draw_text(font_gothic_16_bold, ui_texts.high_score_mascot, make_rect(700, 48, 1024, 80), DT_WORDBREAK, kBlack);
    draw_time_digits(game.best_seconds[1], kLefts, 48, 1024, 80);
}

void draw_play_again_button() {
    draw_button(448, game.clear_button_state == ClearPressed, kOpaque, ui_texts.caption_play_again, 454);
}

void draw_clear_texts() {
    draw_text(font_meiryo_64, ui_text::kGameClear, make_rect(16, 16, trunc_to_int(16 + game.banner_width), 100), 0,
              kBannerPink);
    if (!banner_complete()) return;
    static const int kLefts[4] = {716, 732, 768, 784};
    draw_text(font_gothic_16_bold, ui_text::kElapsedTime, make_rect(632, 48, 1000, 100), DT_WORDBREAK, kBlack);
    draw_time_digits(game.play_seconds, kLefts, 48, 1000, 100);
    if (game.new_record == 1)
        draw_text(font_gothic_16_bold, ui_text::kNewRecord, make_rect(832, 46, 1000, 100), DT_WORDBREAK, kRed);
}

}  // namespace

void draw_scene_layers() {
    if (sprite == nullptr) return;
    const std::int32_t scene = game.current_scene;

    draw_background();
    if (scene == Title) draw_title_buttons();
    if (scene == Clear && banner_complete()) draw_play_again_button();
    if (scene == Play) draw_window_size_readout();
    draw_pieces();
    if (scene == Title) draw_title_texts();
    if (scene == Play) draw_play_hud();
    if (scene == Clear) draw_clear_texts();
}
