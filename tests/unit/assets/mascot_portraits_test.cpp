// The mascot portraits in the committed atlas and the looks table they are
// drawn from: every portrait a whole small character in its cell, every two
// told apart at a glance, and the table complete, in catalogue order.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "asset_files.h"
#include "content/piece_geometry.h"

using namespace piece_geometry;
using asset_test::Picture;

namespace {

const Picture& atlas() {
    static const Picture pic = asset_test::read_png(asset_test::source_path("game/bitmap.png"));
    return pic;
}

// A portrait as premultiplied RGBA, the way the game blends it.
using Cell = std::array<std::array<double, 4>, 32 * 32>;

Cell premultiplied(int i) {
    Cell c{};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t* p = atlas().at(mascot_atlas_x(i) + x, mascot_atlas_y(i) + y);
            const double a = atlas().alpha(mascot_atlas_x(i) + x, mascot_atlas_y(i) + y) / 255.0;
            c[size_t(y) * 32 + size_t(x)] = {p[0] * a, p[1] * a, p[2] * a, a * 255};
        }
    return c;
}

std::vector<std::vector<std::string>> read_tsv(const std::string& relative) {
    std::ifstream in(asset_test::source_path(relative), std::ios::binary);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream s(line);
        std::string cell;
        while (std::getline(s, cell, '\t')) f.push_back(cell);
        if (!line.empty() && line.back() == '\t') f.emplace_back();
        rows.push_back(f);
    }
    return rows;
}

class MascotPortraits : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(atlas().w, 0) << "game/bitmap.png is missing or not a PNG"; }
};

TEST_F(MascotPortraits, EachIsAWholeCharacterInsideItsCell) {
    const Picture& a = atlas();
    for (int i = 0; i < kMascotCount; ++i) {
        SCOPED_TRACE("mascot " + std::to_string(i));
        const int x0 = mascot_atlas_x(i), y0 = mascot_atlas_y(i);
        int visible = 0, edge_solid = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                int alpha = a.alpha(x0 + x, y0 + y);
                visible += alpha >= 128;
                // Little solid on the cell's outermost ring: the drawing may touch the
                // edge but is not cut off by it.
                if ((x == 0 || y == 0 || x == 31 || y == 31) && alpha >= 200) ++edge_solid;
            }
        EXPECT_GT(visible, 32 * 32 / 4) << "too little drawn";
        EXPECT_LT(visible, 32 * 32 * 9 / 10) << "fills its cell like a tile";
        EXPECT_LE(edge_solid, 6) << "cut off at the cell's edge";
        for (int cy : {0, 30})
            for (int cx : {0, 30})
                for (int d = 0; d < 4; ++d)
                    EXPECT_EQ(a.alpha(x0 + cx + d % 2, y0 + cy + d / 2), 0) << "corner " << cx << "," << cy;
    }
}

// A dark outline lets each portrait read over any colour of the map.
TEST_F(MascotPortraits, SilhouettesHaveADarkOutline) {
    const Picture& a = atlas();
    for (int i = 0; i < kMascotCount; ++i) {
        const int x0 = mascot_atlas_x(i), y0 = mascot_atlas_y(i);
        double lum = 0;
        int n = 0;
        for (int y = 1; y < 31; ++y)
            for (int x = 1; x < 31; ++x) {
                if (a.alpha(x0 + x, y0 + y) < 200) continue;
                bool rim = a.alpha(x0 + x - 1, y0 + y) < 100 || a.alpha(x0 + x + 1, y0 + y) < 100 ||
                           a.alpha(x0 + x, y0 + y - 1) < 100 || a.alpha(x0 + x, y0 + y + 1) < 100;
                if (!rim) continue;
                const std::uint8_t* p = a.at(x0 + x, y0 + y);
                lum += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
                ++n;
            }
        ASSERT_GT(n, 0) << "mascot " << i;
        EXPECT_LT(lum / n, 110.0) << "mascot " << i << ": the rim is not dark";
    }
}

TEST_F(MascotPortraits, AnyTwoDifferClearly) {
    std::vector<Cell> cells;
    for (int i = 0; i < kMascotCount; ++i) cells.push_back(premultiplied(i));
    // Silhouette: the solid pixels. Main colour: the mean colour of the solid pixels.
    std::vector<std::array<bool, 1024>> solid(kMascotCount);
    std::vector<std::array<double, 3>> mean(kMascotCount);
    for (int i = 0; i < kMascotCount; ++i) {
        double s[3] = {}, n = 0;
        for (size_t p = 0; p < 1024; ++p) {
            solid[size_t(i)][p] = cells[size_t(i)][p][3] >= 128;
            if (!solid[size_t(i)][p]) continue;
            for (int c = 0; c < 3; ++c) s[c] += cells[size_t(i)][p][c] * 255 / cells[size_t(i)][p][3];
            ++n;
        }
        for (int c = 0; c < 3; ++c) mean[size_t(i)][size_t(c)] = s[c] / n;
    }
    double closest = 1e9;
    int ci = -1, cj = -1, pairs = 0;
    for (int i = 0; i < kMascotCount; ++i)
        for (int j = i + 1; j < kMascotCount; ++j) {
            ++pairs;
            double sum = 0;
            for (size_t p = 0; p < 1024; ++p)
                for (int c = 0; c < 4; ++c) sum += std::fabs(cells[size_t(i)][p][c] - cells[size_t(j)][p][c]);
            const double d = sum / (1024 * 4);
            if (d < closest) { closest = d; ci = i; cj = j; }
            int both = 0, either = 0;
            for (size_t p = 0; p < 1024; ++p) {
                both += solid[size_t(i)][p] && solid[size_t(j)][p];
                either += solid[size_t(i)][p] || solid[size_t(j)][p];
            }
            const double overlap = double(both) / either;
            const double colour = std::hypot(mean[size_t(i)][0] - mean[size_t(j)][0], mean[size_t(i)][1] - mean[size_t(j)][1],
                                             mean[size_t(i)][2] - mean[size_t(j)][2]);
            EXPECT_FALSE(overlap > 0.92 && colour < 30)
                << "mascots " << i << " and " << j << " share silhouette (" << overlap << ") and colour (" << colour << ")";
        }
    EXPECT_EQ(pairs, 4465);
    EXPECT_GT(closest, 12.0) << "mascots " << ci << " and " << cj << " look alike";
    std::printf("closest pair of portraits: %d and %d, mean difference %.1f of 255\n", ci, cj, closest);
}

class MascotLooks : public ::testing::Test {
protected:
    void SetUp() override {
        looks = read_tsv("content/mascot-looks.tsv");
        mascots = read_tsv("content/mascots.tsv");
        ASSERT_FALSE(looks.empty()) << "content/mascot-looks.tsv is missing";
    }
    std::vector<std::vector<std::string>> looks, mascots;
};

TEST_F(MascotLooks, HasOneCompleteRowPerMascotInCatalogueOrder) {
    ASSERT_EQ(looks.size(), size_t(kMascotCount) + 1);
    ASSERT_EQ(mascots.size(), size_t(kMascotCount) + 1);
    const std::vector<std::string> header{"index", "name", "kind", "body", "main", "accent", "head", "item", "source"};
    EXPECT_EQ(looks[0], header);
    const std::regex colour(R"([^#,]*[^ #,] #[0-9A-F]{6})");
    const std::set<std::string> sources{"catalogue", "catalogue+designed", "catalogue+recalled", "designed"};
    for (int i = 0; i < kMascotCount; ++i) {
        const auto& r = looks[size_t(i) + 1];
        SCOPED_TRACE("row " + std::to_string(i));
        ASSERT_EQ(r.size(), header.size());
        EXPECT_EQ(r[0], std::to_string(i));
        EXPECT_EQ(r[1], mascots[size_t(i) + 1][1]) << "not the catalogue's name";
        for (int c : {2, 3, 6, 7}) EXPECT_FALSE(r[size_t(c)].empty()) << header[size_t(c)];
        EXPECT_TRUE(std::regex_match(r[4], colour)) << r[4];
        std::stringstream accents(r[5]);
        std::string one;
        int n = 0;
        while (std::getline(accents, one, ',')) {
            if (!one.empty() && one[0] == ' ') one.erase(0, 1);
            EXPECT_TRUE(std::regex_match(one, colour)) << one;
            ++n;
        }
        EXPECT_TRUE(n == 1 || n == 2) << r[5];
        EXPECT_TRUE(sources.count(r[8])) << "source " << r[8];
    }
}

TEST_F(MascotLooks, NoTwoShareBodyHeadAndMainColour) {
    std::map<std::string, int> seen;
    for (size_t i = 1; i < looks.size(); ++i) {
        const auto& r = looks[i];
        const std::string key = r[3] + "|" + r[6] + "|" + r[4].substr(r[4].find('#'));
        EXPECT_EQ(seen.count(key), 0u) << "rows " << seen[key] << " and " << r[0] << " look the same";
        seen[key] = int(i) - 1;
    }
}

// The sources file says how many looks were researched and how many designed.
TEST_F(MascotLooks, SourcesNoteCountsResearchedAndDesignedLooks) {
    int designed = 0, recalled = 0;
    for (size_t i = 1; i < looks.size(); ++i) {
        designed += looks[i][8] == "designed";
        recalled += looks[i][8] == "catalogue+recalled";
    }
    const int researched = kMascotCount - designed;
    const std::string note = asset_test::read_file(asset_test::source_path("content/mascot-looks-SOURCES.md"));
    ASSERT_FALSE(note.empty()) << "content/mascot-looks-SOURCES.md is missing";
    EXPECT_NE(note.find("Researched: " + std::to_string(researched)), std::string::npos) << note.substr(0, 400);
    EXPECT_NE(note.find("Designed: " + std::to_string(designed)), std::string::npos);
    EXPECT_NE(note.find("Recalled: " + std::to_string(recalled)), std::string::npos);
    for (size_t i = 1; i < looks.size(); ++i)
        EXPECT_NE(note.find("| " + looks[i][0] + " | " + looks[i][1] + " |"), std::string::npos)
            << "no note for row " << looks[i][0];
}

}  // namespace
