// The desktop icon of the installed game: the window icon's picture drawn
// again at the sizes a desktop's icon theme asks for, one PNG per size.
#pragma once

#include <string>
#include <vector>

#include "art.h"

namespace atlas {

// 16, 32, 48, 64, 128 and 256 pixels, the sizes the installed theme holds.
const std::vector<int>& desktop_icon_sizes();

// Writes DIR/pokomaru-jigsaw-<size>.png for every desktop icon size.
// Throws std::runtime_error when a file cannot be written.
void write_desktop_icons(const std::string& dir, const MapRings& rings, const std::vector<MunicipalityRow>& rows);

}  // namespace atlas
