// The committed atlas, checked the way the game uses it: pieces drawn at
// home from their cells less the margin, the background and its tiled band,
// and the colour key that turns opaque white transparent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "asset_files.h"
#include "content/piece_geometry.h"

using namespace piece_geometry;
using asset_test::Picture;

namespace {

const Picture& atlas() {
    static const Picture pic = asset_test::read_png(asset_test::source_path("game/bitmap.png"));
    return pic;
}

class AtlasPicture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(atlas().w, 0) << "game/bitmap.png is missing or not a PNG"; }
};

TEST_F(AtlasPicture, HasThePowerOfTwoSizeThatHoldsEveryRectangle) {
    EXPECT_EQ(atlas().w, kAtlasWidth);
    EXPECT_EQ(atlas().h, kAtlasHeight);
}

TEST_F(AtlasPicture, NoVisiblePixelIsTheTransparentKeyColour) {
    const Picture& a = atlas();
    long white = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x) {
            const std::uint8_t* p = a.at(x, y);
            if (p[3] > 0 && p[0] == 255 && p[1] == 255 && p[2] == 255) ++white;
        }
    EXPECT_EQ(white, 0);
}

// Assembles the municipality pieces at home and counts, for each screen
// pixel of the upper part, how many pieces cover it (alpha 128 or more).
std::vector<int> assembled_cover_counts() {
    const Picture& a = atlas();
    std::vector<int> count(1024 * 768, 0);
    for (const auto& g : kMunicipalities)
        for (int y = kMarginPixels; y < g.height - kMarginPixels; ++y)
            for (int x = kMarginPixels; x < g.width - kMarginPixels; ++x)
                if (a.alpha(g.atlas_x + x, g.atlas_y + y) >= 128) ++count[size_t(g.home_y + y) * 1024 + size_t(g.home_x + x)];
    return count;
}

TEST_F(AtlasPicture, PiecesAtHomeTileThePrefectureWithoutHolesOrOverlaps) {
    auto count = assembled_cover_counts();
    // Inside the outline = not reachable from the screen's edge through uncovered pixels.
    std::vector<char> outside(count.size(), 0);
    std::vector<int> stack;
    for (int x = 0; x < 1024; ++x) { stack.push_back(x); stack.push_back(767 * 1024 + x); }
    for (int y = 0; y < 768; ++y) { stack.push_back(y * 1024); stack.push_back(y * 1024 + 1023); }
    while (!stack.empty()) {
        int p = stack.back();
        stack.pop_back();
        if (outside[size_t(p)] || count[size_t(p)] > 0) continue;
        outside[size_t(p)] = 1;
        int x = p % 1024, y = p / 1024;
        if (x > 0) stack.push_back(p - 1);
        if (x < 1023) stack.push_back(p + 1);
        if (y > 0) stack.push_back(p - 1024);
        if (y < 767) stack.push_back(p + 1024);
    }
    long area = 0, holes = 0, overlaps = 0;
    for (size_t p = 0; p < count.size(); ++p) {
        if (outside[p]) continue;
        ++area;
        holes += count[p] == 0;
        overlaps += count[p] > 1;
    }
    // The solved map fills most of (7, 7)-(1020, 566).
    EXPECT_GT(area, 1013L * 559 / 2);
    EXPECT_LT(double(holes) / area, 0.005) << holes << " holes";
    EXPECT_LT(double(overlaps) / area, 0.005) << overlaps << " overlaps";
}

TEST_F(AtlasPicture, EveryPieceFillsItsDrawnCellEdgeToEdge) {
    const Picture& a = atlas();
    for (int i = 0; i < kMunicipalityCount; ++i) {
        const auto& g = kMunicipalities[i];
        int l = 1 << 20, t = 1 << 20, r = -1, b = -1;
        for (int y = kMarginPixels; y < g.height - kMarginPixels; ++y)
            for (int x = kMarginPixels; x < g.width - kMarginPixels; ++x)
                if (a.alpha(g.atlas_x + x, g.atlas_y + y) > 0) {
                    l = std::min(l, x); r = std::max(r, x);
                    t = std::min(t, y); b = std::max(b, y);
                }
        SCOPED_TRACE("piece " + std::to_string(i));
        ASSERT_GE(r, 0) << "nothing visible";
        EXPECT_LE(l, kMarginPixels + 1);
        EXPECT_LE(t, kMarginPixels + 1);
        EXPECT_GE(r, g.width - kMarginPixels - 2);
        EXPECT_GE(b, g.height - kMarginPixels - 2);
    }
}

TEST_F(AtlasPicture, CellMarginsAndUnusedAreasAreTransparent) {
    const Picture& a = atlas();
    std::vector<char> used(size_t(a.w) * a.h, 0);
    auto mark = [&](int l, int t, int r, int b) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) used[size_t(y) * a.w + size_t(x)] = 1;
    };
    for (const auto& g : kMunicipalities)
        mark(g.atlas_x + kMarginPixels, g.atlas_y + kMarginPixels, g.atlas_x + g.width - kMarginPixels,
             g.atlas_y + g.height - kMarginPixels);
    for (int i = 0; i < kMascotCount; ++i)
        mark(mascot_atlas_x(i), mascot_atlas_y(i), mascot_atlas_x(i) + kMascotSize, mascot_atlas_y(i) + kMascotSize);
    for (const AtlasRect& r : {kBackground, kButton, kButtonPressed, kHintButton, kHintButtonPressed, kSlotMarker})
        mark(r.left, r.top, r.right, r.bottom);
    long stray = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (!used[size_t(y) * a.w + size_t(x)] && a.at(x, y)[3] != 0) ++stray;
    EXPECT_EQ(stray, 0);
}

TEST_F(AtlasPicture, BackgroundIsOpaqueAndItsCornerTilesTheBandSeamlessly) {
    const Picture& a = atlas();
    for (int y = kBackground.top; y < kBackground.bottom; ++y)
        for (int x = kBackground.left; x < kBackground.right; ++x) ASSERT_EQ(a.alpha(x, y), 255) << x << "," << y;
    const int tw = kBackgroundTile.right, th = kBackgroundTile.bottom;
    auto diff = [&](int x0, int y0, int x1, int y1) {
        const std::uint8_t *p = a.at(x0, y0), *q = a.at(x1, y1);
        return (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2])) / 3.0;
    };
    // Seams: where a tile meets the next one, the step across the seam is no
    // larger than an ordinary step between neighbouring rows or columns.
    double across_h = 0, within_h = 0, across_v = 0, within_v = 0, across_band = 0;
    for (int y = 0; y < th; ++y) {
        across_h += diff(tw - 1, y, 0, y);
        within_h += diff(tw / 2 - 1, y, tw / 2, y);
    }
    for (int x = 0; x < tw; ++x) {
        across_v += diff(x, th - 1, x, 0);
        within_v += diff(x, th / 2 - 1, x, th / 2);
    }
    for (int x = 0; x < 1024; ++x) across_band += diff(x, kBackground.bottom - 1, x % tw, 0);
    EXPECT_LT(across_h / th, within_h / th + 2.0);
    EXPECT_LT(across_v / tw, within_v / tw + 2.0);
    EXPECT_LT(across_band / 1024, within_v / tw + 2.0);
}

TEST_F(AtlasPicture, ButtonsAreLightBehindTheRedCaption) {
    const Picture& a = atlas();
    for (const AtlasRect& r : {kButton, kButtonPressed}) {
        double lum = 0;
        int n = 0;
        // Where the 28-pixel caption is drawn: from +20,+16.
        for (int y = r.top + 16; y < r.top + 44; ++y)
            for (int x = r.left + 20; x < r.left + 108; ++x) {
                const std::uint8_t* p = a.at(x, y);
                ASSERT_EQ(a.alpha(x, y), 255);
                lum += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
                ++n;
            }
        EXPECT_GT(lum / n, 200.0);
    }
}

// The mode buttons are drawn faded (alpha 180) while idle, at full strength
// while hovered, and as the pressed picture while held, over the band of
// the background: the three must look different.
TEST_F(AtlasPicture, ButtonsShowHoverAndPressAtAGlance) {
    const Picture& a = atlas();
    auto composed = [&](const AtlasRect& r, double alpha, std::vector<double>& out) {
        out.clear();
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 128; ++x) {
                // The band below the map repeats the background's corner tile.
                const int tw = kBackgroundTile.right, th = kBackgroundTile.bottom;
                const std::uint8_t* bg = a.at((320 + x) % tw, (600 - 568 + y) % th);
                const std::uint8_t* p = a.at(r.left + x, r.top + y);
                const double k = a.alpha(r.left + x, r.top + y) / 255.0 * alpha;
                for (int c = 0; c < 3; ++c) out.push_back(p[c] * k + bg[c] * (1 - k));
            }
    };
    auto mean_difference = [](const std::vector<double>& p, const std::vector<double>& q) {
        double sum = 0;
        for (size_t i = 0; i < p.size(); ++i) sum += std::fabs(p[i] - q[i]);
        return sum / double(p.size()) / 255.0;
    };
    std::vector<double> idle, hovered, pressed;
    composed(kButton, 180.0 / 255.0, idle);
    composed(kButton, 1.0, hovered);
    composed(kButtonPressed, 1.0, pressed);
    const double idle_hover = mean_difference(idle, hovered), hover_press = mean_difference(hovered, pressed);
    std::printf("button: idle vs hovered %.1f %%, hovered vs pressed %.1f %%\n", 100 * idle_hover, 100 * hover_press);
    EXPECT_GT(idle_hover, 0.05);
    EXPECT_GT(hover_press, 0.05);
}

TEST_F(AtlasPicture, SmallPicturesAreDrawn) {
    const Picture& a = atlas();
    for (const AtlasRect& r : {kHintButton, kHintButtonPressed, kSlotMarker}) {
        int visible = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) visible += a.alpha(x, y) > 0;
        EXPECT_GT(visible, 32 * 32 / 3) << "picture at " << r.left << "," << r.top;
        EXPECT_EQ(a.alpha(r.left, r.top), 0) << "a round picture leaves its corners clear";
    }
}

}  // namespace
