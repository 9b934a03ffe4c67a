// The pictures of the atlas: the map pieces, the background with its guide
// of the prefecture, the buttons, the hint button, the slot marker, the
// mascot portraits, and the window icon.
#pragma once

#include <string>
#include <vector>

#include "geodata.h"
#include "image.h"
#include "portraits/looks.h"

namespace atlas {

using MapRings = std::vector<std::vector<Ring>>;  // screen pixels, by catalogue row

// Writes every municipality into its atlas cell; the drawn part of each
// cell (less its margin) is what lies under the piece's home on screen.
void paint_municipalities(Image& atlas, const MapRings& rings, const std::vector<MunicipalityRow>& rows);
void paint_background(Image& atlas, const MapRings& rings);
void paint_buttons(Image& atlas);
void paint_hint_button_and_marker(Image& atlas);
// Each mascot's portrait into its cell. Throws std::runtime_error for a
// look the portrait painter cannot draw.
void paint_mascots(Image& atlas, const std::vector<portraits::Look>& looks);
Image paint_window_icon(int size, const MapRings& rings, const std::vector<MunicipalityRow>& rows);

// A screen laid out as the game draws it (background and band, then the
// buttons, the pieces at home and the mascots at home, each when asked
// for), for looking at.
Image compose_solved_screen(const Image& atlas, bool with_map, bool with_mascots, bool with_buttons);

}  // namespace atlas
