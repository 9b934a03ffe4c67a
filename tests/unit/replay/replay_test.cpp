// Replays: recorded sequences of window messages and frame times fed
// through the real shell, with the game state dumped as text at marked
// points and compared with the expected file beside each script. Set
// POKOMARU_UPDATE_REPLAYS=1 to rewrite the expected files after a change
// that is meant to alter them (and read the diff before committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_harness.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> replay_names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(fs::path(POKOMARU_SOURCE_DIR) / "tests" / "replays"))
        if (e.path().extension() == ".replay") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The first line where two texts differ, for a readable failure.
std::string first_difference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string la, lb;
    for (int line = 1;; ++line) {
        bool ha = static_cast<bool>(std::getline(a, la)), hb = static_cast<bool>(std::getline(b, lb));
        if (!ha && !hb) return "no difference";
        if (la != lb || ha != hb)
            return "line " + std::to_string(line) + ":\n  expected: " + (ha ? la : "<end>") +
                   "\n  actual:   " + (hb ? lb : "<end>");
    }
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, MatchesItsExpectedDump) {
    const fs::path dir = fs::path(POKOMARU_SOURCE_DIR) / "tests" / "replays";
    const std::string script = read_file(dir / (GetParam() + ".replay"));
    ASSERT_FALSE(script.empty());
    ASSERT_TRUE(harness::start_game(1));
    std::string error;
    std::string actual = harness::run_script(script, &error);
    harness::stop_game();
    ASSERT_TRUE(error.empty()) << error;
    const fs::path expected_path = dir / (GetParam() + ".expected");
    if (std::getenv("POKOMARU_UPDATE_REPLAYS")) {
        std::ofstream(expected_path, std::ios::binary) << actual;
        GTEST_SKIP() << "rewrote " << expected_path;
    }
    const std::string expected = read_file(expected_path);
    ASSERT_FALSE(expected.empty()) << "no expected dump at " << expected_path;
    EXPECT_TRUE(expected == actual) << GetParam() << ": " << first_difference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Scripts, Replay, ::testing::ValuesIn(replay_names()),
                         [](const auto& info) { return info.param; });

}  // namespace
