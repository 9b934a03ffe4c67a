// The catalogue generator run as the build runs it, on copies of the tables
// with one fault each: every fault must stop it with the file and the row
// named, and nothing may be written.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "content_test_support.h"

namespace {

using content_test::read_bytes;
using content_test::ScratchFolder;
using content_test::source_path;
using content_test::write_bytes;

const std::string kGenerator = std::string(POKOMARU_BINARY_DIR) + "/tools/catalogue/catalogue_gen";

class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        for (const char* name : {"municipalities.tsv", "mascots.tsv", "ui_texts.tsv"})
            write_bytes(input(name), read_bytes(source_path(std::string("content/") + name)));
        std::filesystem::create_directory(out_dir());
    }

    std::string input(const std::string& name) const { return folder_.path() + "/" + name; }
    std::string out_dir() const { return folder_.path() + "/out"; }

    // Replaces the first occurrence of `from` in a copied table.
    void edit(const std::string& name, const std::string& from, const std::string& to) {
        std::string text = read_bytes(input(name));
        std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        write_bytes(input(name), text);
    }

    // Runs the generator; returns its exit status and keeps what it printed.
    int run() {
        std::string command = "'" + kGenerator + "' '" + input("municipalities.tsv") + "' '" + input("mascots.tsv") +
                              "' '" + input("ui_texts.tsv") + "' '" + source_path("src/content/piece_geometry.cpp") +
                              "' '" + out_dir() + "' 2>&1";
        output.clear();
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool wrote_nothing() const { return std::filesystem::is_empty(out_dir()); }

    std::string output;
    ScratchFolder folder_{false};
};

TEST_F(Generator, GoodTablesMakeTheThreeFiles) {
    ASSERT_EQ(run(), 0) << output;
    EXPECT_TRUE(std::filesystem::exists(out_dir() + "/catalogue_data.cpp"));
    EXPECT_TRUE(std::filesystem::exists(out_dir() + "/ui_text.h"));
    EXPECT_TRUE(std::filesystem::exists(out_dir() + "/ui_text.cpp"));
    // The committed tables generate exactly what the game was built from.
    EXPECT_EQ(read_bytes(out_dir() + "/catalogue_data.cpp"),
              read_bytes(std::string(POKOMARU_BINARY_DIR) + "/generated/catalogue_data.cpp"));
}

TEST_F(Generator, WrongFieldCountNamesTheRow) {
    edit("municipalities.tsv", "5\t蕨市\tわらびし\t71257\t", "5\t蕨市\tわらびし\t71257 ");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("municipalities.tsv:7: error: row 5: has 6 fields, 7 expected"), std::string::npos) << output;
    EXPECT_TRUE(wrote_nothing());
}

TEST_F(Generator, CharacterOutsideCodePage932NamesTheRowAndCharacter) {
    edit("mascots.tsv", "好物は小松菜、特技は潜水。", "好物は小松菜😀、特技は潜水。");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("mascots.tsv:13: error: row 11: line2 contains \"😀\" (U+1F600)"), std::string::npos) << output;
    EXPECT_TRUE(wrote_nothing());
}

TEST_F(Generator, CharacterThatComesBackDifferentIsRefused) {
    // U+301C WAVE DASH encodes, but decodes as U+FF5E: the game would show another character.
    edit("mascots.tsv", "み～な", "み\u301Cな");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("row 60: the name \"み\u301Cな\" differs"), std::string::npos) << output;
    EXPECT_NE(output.find("row 60: the name contains \"\u301C\" (U+301C), which code page 932 turns into another"),
              std::string::npos)
        << output;
}

TEST_F(Generator, NameThatDiffersFromThePieceGeometryNamesTheRow) {
    edit("municipalities.tsv", "3\t上尾市", "3\t上屋市");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("municipalities.tsv:5: error: row 3: the name \"上屋市\" differs from \"上尾市\""), std::string::npos)
        << output;
    EXPECT_TRUE(wrote_nothing());
}

TEST_F(Generator, BadNumbersNameTheRow) {
    edit("municipalities.tsv", "\t71257\t5.10\t", "\t71,257\t5.1\t");
    edit("municipalities.tsv", "\t3174\t", "\t1234567890\t");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("row 5: the population \"71,257\" is not a positive whole number"), std::string::npos)
        << output;
    EXPECT_NE(output.find("row 5: the area \"5.1\" is neither"), std::string::npos) << output;
    EXPECT_NE(output.find("row 35: the population \"1234567890\" is too large"), std::string::npos) << output;
}

TEST_F(Generator, MissingOrExtraRowsAreCounted) {
    std::string text = read_bytes(input("mascots.tsv"));
    text.erase(text.rfind("94\t"));
    write_bytes(input("mascots.tsv"), text);
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("mascots.tsv:95: error: has 94 rows, 95 expected"), std::string::npos) << output;
}

TEST_F(Generator, FaultyFixedTextsNameTheLine) {
    edit("ui_texts.tsv", "kGameClear\tゲームクリア！", "kGameClear\tゲームクリア！\textra");
    edit("ui_texts.tsv", "kNewRecord", "kTitle");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("ui_texts.tsv:30: error: has 3 fields, 2 expected"), std::string::npos) << output;
    EXPECT_NE(output.find("ui_texts.tsv:31: error: the key kTitle appears twice"), std::string::npos) << output;
    EXPECT_TRUE(wrote_nothing());
}

TEST_F(Generator, MissingTableIsReported) {
    std::filesystem::remove(input("mascots.tsv"));
    EXPECT_EQ(run(), 1);
    EXPECT_NE(output.find("mascots.tsv:0: error: cannot open the file"), std::string::npos) << output;
}

}  // namespace
