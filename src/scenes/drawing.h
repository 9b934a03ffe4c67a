// What every layer of the frame draws with: one sprite from the atlas at a
// logical position, one text into a rectangle, and the truncation toward
// zero that turns every coordinate into an integer.
#pragma once

#include "state/platform_objects.h"
#include "platform/win_types.h"
#include "state/game_state.h"

namespace drawing {

constexpr D3DCOLOR kOpaque = 0xFFFFFFFF;
constexpr D3DCOLOR kTranslucent = 0xC0FFFFFF;  // loose pieces
constexpr D3DCOLOR kHalf = 0x80FFFFFF;         // mascot home slots
constexpr D3DCOLOR kFaded = 0xB4FFFFFF;        // a title button not under the pointer
constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kGrey = 0xFF808080;
constexpr D3DCOLOR kCaptionRed = 0xFFFF4040;
constexpr D3DCOLOR kBannerPink = 0xFFFF8080;
constexpr D3DCOLOR kRed = 0xFFFF0000;

// Truncation toward zero; values outside the integer range stop at its
// ends and not-a-number gives 0, so no state can make a conversion undefined.
int trunc_to_int(double value);

RECT make_rect(int left, int top, int right, int bottom);

// The sprite at (x, y, 0) in 32-bit floats, no centre, from atlas_texture.
void draw_sprite(const RECT& source, double x, double y, D3DCOLOR colour);
// A text through the sprite batch, whole (length -1); skipped when the font
// or the text is missing.
void draw_text(ID3DXFont* font, const char* text, RECT rect, DWORD format, D3DCOLOR colour);

// Whether the Clear scene has finished uncovering its banner.
bool banner_complete();
// Whether the mascot hint button is held down: a held button counts even
// when its press has already been seen, and nothing is consumed.
bool hint_held();

}  // namespace drawing
