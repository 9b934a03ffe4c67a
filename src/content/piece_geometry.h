// The fixed geometry of all 158 pieces: home positions on the 1024 x 768
// logical screen, atlas cells and sizes. Municipality cells carry a 2-pixel
// margin on every side that is never drawn; mascot icons are 32 x 32 cells
// laid out in a ten-column grid.
#pragma once

namespace piece_geometry {

constexpr int kMunicipalityCount = 63;
constexpr int kMascotCount = 95;

struct MunicipalityGeometry {
    int home_x, home_y, atlas_x, atlas_y, width, height;
};
struct MascotHome {
    int home_x, home_y;
};

extern const MunicipalityGeometry kMunicipalities[kMunicipalityCount];
extern const MascotHome kMascotHomes[kMascotCount];

constexpr int kMarginPixels = 2;
constexpr int kMascotSize = 32;
constexpr int kMascotGridLeft = 176;
constexpr int kMascotGridTop = 1488;
constexpr int kMascotGridColumns = 10;

constexpr int mascot_atlas_x(int i) { return kMascotGridLeft + kMascotSize * (i % kMascotGridColumns); }
constexpr int mascot_atlas_y(int i) { return kMascotGridTop + kMascotSize * (i / kMascotGridColumns); }

// Other pictures of the atlas (left, top, right, bottom; right and bottom exclusive).
struct AtlasRect { int left, top, right, bottom; };
constexpr AtlasRect kBackground{0, 0, 1024, 568};
constexpr AtlasRect kBackgroundTile{0, 0, 256, 116};
constexpr AtlasRect kButton{0, 1488, 128, 1552};
constexpr AtlasRect kButtonPressed{0, 1560, 128, 1624};
constexpr AtlasRect kHintButton{72, 1632, 104, 1664};
constexpr AtlasRect kHintButtonPressed{104, 1632, 136, 1664};
constexpr AtlasRect kSlotMarker{0, 1664, 32, 1696};

constexpr int kAtlasWidth = 1024;
constexpr int kAtlasHeight = 2048;

}  // namespace piece_geometry
