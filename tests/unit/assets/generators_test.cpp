// The generators reproduce the committed files, and refuse bad input with
// a message instead of crashing. Each test needs the tool built (cmake
// --build build --target atlas_tool sound_tool) and, for the atlas, the
// boundary data beside the repository; otherwise it is skipped, saying why.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "asset_files.h"

namespace fs = std::filesystem;
using asset_test::read_file;
using asset_test::source_path;

namespace {

const std::string kAtlasTool = std::string(POKOMARU_BINARY_DIR) + "/tools/atlas/atlas_tool";
const std::string kSoundTool = std::string(POKOMARU_BINARY_DIR) + "/tools/sounds/sound_tool";
const std::string kGeodata = source_path("../shared/geodata/saitama-municipalities-2022.geojson");

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and error together
};

ToolRun run(const std::string& command) {
    ToolRun r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/pokomaru-assets-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string atlas_command(const std::string& geojson, const std::string& out) {
    return kAtlasTool + " --geojson '" + geojson + "' --municipalities '" + source_path("content/municipalities.tsv") +
           "' --mascots '" + source_path("content/mascots.tsv") + "' --png '" + out + "/bitmap.png' --ico '" + out +
           "/icon.ico' --icon-table '" + out + "/window_icon_pixels.inc'";
}

TEST(AtlasTool, RedrawsTheCommittedAtlasAndIconByteForByte) {
    if (!fs::exists(kAtlasTool)) GTEST_SKIP() << "atlas_tool is not built (cmake --build build --target atlas_tool)";
    if (!fs::exists(kGeodata)) GTEST_SKIP() << "the boundary data " << kGeodata << " is not present";
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    ToolRun r = run(atlas_command(kGeodata, dir.path()));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(read_file(dir.path() + "/bitmap.png") == read_file(source_path("game/bitmap.png")))
        << "game/bitmap.png is not what the tool draws now; rerun the assets target";
    EXPECT_TRUE(read_file(dir.path() + "/icon.ico") == read_file(source_path("game/icon.ico")));
    EXPECT_TRUE(read_file(dir.path() + "/window_icon_pixels.inc") ==
                read_file(source_path("src/platform/hosted/window_icon_pixels.inc")));
}

TEST(AtlasTool, RejectsBrokenBoundaryFilesWithAMessage) {
    if (!fs::exists(kAtlasTool)) GTEST_SKIP() << "atlas_tool is not built (cmake --build build --target atlas_tool)";
    TempDir dir;
    struct Case { const char* text; const char* message; };
    const Case cases[] = {
        {"{\"type\":\"FeatureCollection\",\"features\":[", "JSON"},
        {"{\"features\": 3}", "features"},
        {"{\"features\":[{\"properties\":{\"name\":\"埼玉県どこか町\"},\"geometry\":{\"type\":\"Polygon\","
         "\"coordinates\":[[[139,36],[139.1,36],[139,36.1]]]}}]}",
         "matches no catalogue row"},
        {"{\"features\":[{\"properties\":{\"name\":\"埼玉県蕨市\"},\"geometry\":{\"type\":\"Polygon\","
         "\"coordinates\":[[[139,36],[139.1]]]}}]}",
         "position"},
        {"{\"features\":[]}", "no boundary for"},
    };
    for (const Case& c : cases) {
        std::string file = dir.path() + "/bad.geojson";
        std::ofstream(file) << c.text;
        ToolRun r = run(atlas_command(file, dir.path()));
        EXPECT_EQ(r.status, 1) << c.text;
        EXPECT_NE(r.output.find("atlas_tool: error:"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(dir.path() + "/bitmap.png")) << "no atlas is written from bad input";
    }
    ToolRun missing = run(atlas_command(dir.path() + "/none.geojson", dir.path()));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos) << missing.output;
    ToolRun usage = run(kAtlasTool + " --png " + dir.path() + "/x.png");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.output.find("usage:"), std::string::npos);
}

TEST(AtlasTool, RejectsABrokenLooksTableWithAMessage) {
    if (!fs::exists(kAtlasTool)) GTEST_SKIP() << "atlas_tool is not built (cmake --build build --target atlas_tool)";
    TempDir dir;
    const std::string good = read_file(source_path("content/mascot-looks.tsv"));
    ASSERT_FALSE(good.empty());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        size_t at = t.find(from);
        return at == std::string::npos ? std::string() : t.replace(at, from.size(), to);
    };
    struct Case { std::string text; const char* message; };
    const Case cases[] = {
        {replaced("\tround\tgreen #5DBB63", "\tcloud\tgreen #5DBB63"), "unknown body \"cloud\""},
        {replaced("\tpearl\t", "\tumbrella stand\t"), "unknown item \"umbrella stand\""},
        {replaced("\thorns\t", "\thalo ring\t"), "unknown head wear \"halo ring\""},
        {replaced("green #5DBB63", "green 5DBB63"), "main colour"},
        {replaced("1\tムジナもん", "1\tムジナくん"), "is not the catalogue's row 1"},
        {good.substr(0, good.rfind("94\t")), "94 rows for 95 mascots"},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.text.empty()) << c.message;
        std::string file = dir.path() + "/looks.tsv";
        std::ofstream(file, std::ios::binary) << c.text;
        ToolRun r = run(atlas_command(dir.path() + "/none.geojson", dir.path()) + " --looks '" + file + "'");
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_NE(r.output.find("atlas_tool: error:"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(dir.path() + "/bitmap.png")) << "no atlas is written from a bad table";
    }
}

TEST(SoundTool, RewritesTheCommittedWaveFilesByteForByte) {
    if (!fs::exists(kSoundTool)) GTEST_SKIP() << "sound_tool is not built (cmake --build build --target sound_tool)";
    TempDir dir;
    ToolRun r = run(kSoundTool + " --out-dir " + dir.path());
    ASSERT_EQ(r.status, 0) << r.output;
    for (int i = 0; i < 5; ++i) {
        std::string name = "/wave0" + std::to_string(i) + ".wav";
        EXPECT_TRUE(read_file(dir.path() + name) == read_file(source_path("game" + name))) << name;
    }
    ToolRun bad = run(kSoundTool + " --out-dir " + dir.path() + "/no/such/dir");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("cannot write"), std::string::npos) << bad.output;
}

}  // namespace
