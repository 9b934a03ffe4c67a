// The desktop icons of the installed game: committed PNGs at every theme
// size, which the atlas tool redraws byte for byte from the same art as the
// window icon (the redraw needs the tool built and the boundary data).

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "asset_files.h"

namespace fs = std::filesystem;
using asset_test::Picture;
using asset_test::read_file;
using asset_test::source_path;

namespace {

const int kSizes[] = {16, 32, 48, 64, 128, 256};

std::string icon_path(const std::string& dir, int size) {
    return dir + "/pokomaru-jigsaw-" + std::to_string(size) + ".png";
}

TEST(DesktopIcons, EveryThemeSizeIsASquareRoundedTileWithTheMap) {
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        Picture icon = asset_test::read_png(icon_path(source_path("packaging/icons"), size));
        ASSERT_EQ(icon.w, size) << "packaging/icons is missing a size or holds a wrong one";
        ASSERT_EQ(icon.h, size);
        // Rounded corners stay transparent, so the icon sits on any menu.
        EXPECT_EQ(icon.at(0, 0)[3], 0);
        EXPECT_EQ(icon.at(size - 1, size - 1)[3], 0);
        // The middle is the map, opaque and coloured (not the pale tile).
        const std::uint8_t* mid = icon.at(size / 2, size / 2);
        EXPECT_EQ(mid[3], 255);
        EXPECT_LT(std::min({mid[0], mid[1], mid[2]}), 200) << "the middle of the icon shows no map";
    }
}

TEST(DesktopIcons, TheAtlasToolRedrawsThemByteForByte) {
    const std::string tool = std::string(POKOMARU_BINARY_DIR) + "/tools/atlas/atlas_tool";
    const std::string geodata = source_path("../shared/geodata/saitama-municipalities-2022.geojson");
    if (!fs::exists(tool)) GTEST_SKIP() << "atlas_tool is not built (cmake --build build --target atlas_tool)";
    if (!fs::exists(geodata)) GTEST_SKIP() << "the boundary data " << geodata << " is not present";
    char name[] = "/tmp/pokomaru-icons-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    const std::string dir = name;
    const std::string command = tool + " --geojson '" + geodata + "' --municipalities '" +
                                source_path("content/municipalities.tsv") + "' --mascots '" +
                                source_path("content/mascots.tsv") + "' --png '" + dir + "/bitmap.png' --icon-dir '" +
                                dir + "' >/dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    for (int size : kSizes) {
        const std::string made = read_file(icon_path(dir, size));
        EXPECT_FALSE(made.empty()) << "no " << size << " px icon was written";
        EXPECT_TRUE(made == read_file(icon_path(source_path("packaging/icons"), size)))
            << "packaging/icons/pokomaru-jigsaw-" << size << ".png is not what the tool draws now; rerun the assets target";
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
