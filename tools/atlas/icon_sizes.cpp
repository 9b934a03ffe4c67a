#include "icon_sizes.h"

namespace atlas {

const std::vector<int>& desktop_icon_sizes() {
    static const std::vector<int> sizes{16, 32, 48, 64, 128, 256};
    return sizes;
}

void write_desktop_icons(const std::string& dir, const MapRings& rings, const std::vector<MunicipalityRow>& rows) {
    // The same painter as the window icon, so the menu entry and the running
    // window show one picture; 16 and 32 are byte for byte the window's own.
    for (int size : desktop_icon_sizes())
        write_png(dir + "/pokomaru-jigsaw-" + std::to_string(size) + ".png", paint_window_icon(size, rings, rows));
}

}  // namespace atlas
