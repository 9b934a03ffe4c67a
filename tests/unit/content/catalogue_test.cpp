// The catalogue as the game sees it after fill_catalogue: the Shift-JIS
// texts against the UTF-8 tables they are made from, the fixed forms of the
// population and area texts, the shape of the data, and the geometry of the
// pieces.

#include "content/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "content/catalogue_data.h"
#include "content_test_support.h"
#include "platform/sjis.h"

namespace {

using content_test::read_tsv;
using content_test::source_path;
using content_test::utf8_to_cp932;

class Catalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fill_catalogue();
        municipalities = read_tsv(source_path("content/municipalities.tsv"));
        mascots = read_tsv(source_path("content/mascots.tsv"));
    }
    static std::vector<std::vector<std::string>> municipalities, mascots;
};
std::vector<std::vector<std::string>> Catalogue::municipalities, Catalogue::mascots;

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

TEST_F(Catalogue, HasOneRowPerPieceInTheTables) {
    ASSERT_EQ(municipalities.size(), 63u);
    ASSERT_EQ(mascots.size(), 95u);
    EXPECT_EQ(sizeof municipality_entries / sizeof municipality_entries[0], 63u);
    EXPECT_EQ(sizeof mascot_entries / sizeof mascot_entries[0], 95u);
}

TEST_F(Catalogue, EntriesReferToTheProgramsConstantsRatherThanCopies) {
    for (int i = 0; i < kMunicipalityCount; ++i) {
        EXPECT_EQ(municipality_entries[i].name, catalogue_data::kMunicipalities[i].name);
        EXPECT_EQ(municipality_entries[i].remark, catalogue_data::kMunicipalities[i].remark);
    }
    for (int i = 0; i < kMascotCount; ++i) {
        EXPECT_EQ(mascot_entries[i].affiliation, catalogue_data::kMascots[i].affiliation);
        for (int k = 0; k < kMascotLines; ++k)
            EXPECT_EQ(mascot_entries[i].description[k], catalogue_data::kMascots[i].description[k]);
    }
}

TEST_F(Catalogue, SampleMunicipalitiesAreExactShiftJis) {
    struct Sample {
        int index;
        const char *name, *reading, *population, *area, *region, *remark;
    };
    const Sample samples[] = {
        {0, "さいたま市", "さいたまし", "1,236,451人", "217.49Km2", "埼玉県の県庁所在地の市", "古くは中山道の宿場町"},
        {5, "蕨市", "わらびし", "   71,257人", "  5.10Km2", "南部地域に属する市", "中山道の宿場町、最も面積が小さい市"},
        {35, "東秩父村", "ひがしちちぶむら", "    3,174人", " 37.17Km2", "川越比企地域に属する村", "現在では埼玉県唯一の村"},
        {37, "秩父市", "ちちぶし", "   65,457人", " 境界未定", "秩父地域に属する市", "夜祭りが有名で日本三大曳山祭の一つ"},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.name);
        const MunicipalityEntry& e = municipality_entries[s.index];
        EXPECT_EQ(std::string(e.name), utf8_to_cp932(s.name));
        EXPECT_EQ(std::string(e.reading), utf8_to_cp932(s.reading));
        EXPECT_EQ(std::string(e.population), utf8_to_cp932(s.population));
        EXPECT_EQ(std::string(e.area), utf8_to_cp932(s.area));
        EXPECT_EQ(std::string(e.region), utf8_to_cp932(s.region));
        EXPECT_EQ(std::string(e.remark), utf8_to_cp932(s.remark));
    }
    // The same, as raw bytes: 蕨市, "   71,257人" and " 境界未定".
    EXPECT_EQ(std::string(municipality_entries[5].name), "\x98\x6E\x8E\x73");
    EXPECT_EQ(std::string(municipality_entries[5].population), "   71,257\x90\x6C");
    EXPECT_EQ(std::string(municipality_entries[37].area), " \x8B\xAB\x8A\x45\x96\xA2\x92\xE8");
}

TEST_F(Catalogue, SampleMascotsAreExactShiftJis) {
    struct Sample {
        int index;
        const char *name, *affiliation, *lines[5];
    };
    const Sample samples[] = {
        {1, "ムジナもん", "羽生市のマスコット", {"宝蔵寺沼に自生する「ムジナモ」と", "動物「ムジナ」のコラボモチーフ。", "", "", ""}},
        {5, "ガーヤちゃん", "越谷市のマスコット",
         {"越谷のＢ級グルメ「こしがや鴨ネギ", "鍋」がモチーフ。ネギは越谷産で、", "カモは国産が条件。", "", ""}},
        {9, "つなが竜ヌゥ", "さいたま市のマスコット",
         {"見沼（見沼田んぼ）の主と呼ばれた", "「見沼の龍神」の子孫。", "「ヌゥ」はフランス語で「飾り気の", "ない」を意味する。", ""}},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.name);
        const MascotEntry& e = mascot_entries[s.index];
        EXPECT_EQ(std::string(e.name), utf8_to_cp932(s.name));
        EXPECT_EQ(std::string(e.affiliation), utf8_to_cp932(s.affiliation));
        for (int k = 0; k < kMascotLines; ++k) EXPECT_EQ(std::string(e.description[k]), utf8_to_cp932(s.lines[k]));
    }
    EXPECT_EQ(std::string(mascot_entries[1].name), "\x83\x80\x83\x57\x83\x69\x82\xE0\x82\xF1");
}

TEST_F(Catalogue, EveryTextDecodesBackToItsTable) {
    for (int i = 0; i < kMunicipalityCount; ++i) {
        const auto& row = municipalities[i];
        const MunicipalityEntry& e = municipality_entries[i];
        SCOPED_TRACE(row[1]);
        EXPECT_EQ(cp932_to_utf8(e.name), row[1]);
        EXPECT_EQ(cp932_to_utf8(e.reading), row[2]);
        EXPECT_EQ(cp932_to_utf8(e.region), row[5]);
        EXPECT_EQ(cp932_to_utf8(e.remark), row[6]);
    }
    for (int i = 0; i < kMascotCount; ++i) {
        const auto& row = mascots[i];
        const MascotEntry& e = mascot_entries[i];
        SCOPED_TRACE(row[1]);
        EXPECT_EQ(cp932_to_utf8(e.name), row[1]);
        EXPECT_EQ(cp932_to_utf8(e.affiliation), row[2]);
        for (int k = 0; k < kMascotLines; ++k) EXPECT_EQ(cp932_to_utf8(e.description[k]), row[3 + k]);
    }
}

TEST_F(Catalogue, PopulationAndAreaHaveTheirFixedWidths) {
    const std::string person = utf8_to_cp932("人");
    const std::string undetermined = utf8_to_cp932(" 境界未定");
    std::set<int> undetermined_rows;
    for (int i = 0; i < kMunicipalityCount; ++i) {
        const auto& row = municipalities[i];
        const std::string population = municipality_entries[i].population;
        const std::string area = municipality_entries[i].area;
        SCOPED_TRACE(row[1]);
        ASSERT_EQ(population.size(), 11u);
        ASSERT_EQ(area.size(), 9u);

        // Grouped by threes, right-aligned, then 人; the digits are the table's.
        ASSERT_TRUE(ends_with(population, person));
        std::string number = trimmed(population.substr(0, 9));
        for (std::size_t k = number.size(); k > 3; k -= 4) ASSERT_EQ(number[k - 4], ',') << number;
        number.erase(std::remove(number.begin(), number.end(), ','), number.end());
        EXPECT_EQ(number, row[3]);

        if (area == undetermined) {
            undetermined_rows.insert(i);
        } else {
            ASSERT_TRUE(ends_with(area, "Km2"));
            const std::string value = trimmed(area.substr(0, 6));
            EXPECT_EQ(value, row[4]);
            EXPECT_EQ(value[value.size() - 3], '.');
        }
    }
    EXPECT_EQ(undetermined_rows, (std::set<int>{37, 40, 55}));  // 秩父市, 横瀬町, 三郷市
}

TEST_F(Catalogue, RegionsNameOneOfTheNineRegionsAndTheKindOfPlace) {
    const std::set<std::string> regions = {
        "南部地域に属する市",     "南西部地域に属する市",   "南西部地域に属する町",   "県央地域に属する市",
        "県央地域に属する町",     "東部地域に属する市",     "東部地域に属する町",     "西部地域に属する市",
        "川越比企地域に属する市", "川越比企地域に属する町", "川越比企地域に属する村", "北部地域に属する市",
        "北部地域に属する町",     "秩父地域に属する市",     "秩父地域に属する町",     "利根地域に属する市",
        "利根地域に属する町"};
    EXPECT_EQ(cp932_to_utf8(municipality_entries[0].region), "埼玉県の県庁所在地の市");
    for (int i = 1; i < kMunicipalityCount; ++i) {
        const std::string region = cp932_to_utf8(municipality_entries[i].region);
        const std::string name = cp932_to_utf8(municipality_entries[i].name);
        SCOPED_TRACE(name);
        EXPECT_TRUE(regions.count(region)) << region;
        // The kind is the last character of both: 市, 町 or 村 (three bytes in UTF-8).
        EXPECT_EQ(region.substr(region.size() - 3), name.substr(name.size() - 3));
    }
}

TEST_F(Catalogue, MascotTextsHaveTheirForm) {
    int only_one_line = 0;
    for (int i = 0; i < kMascotCount; ++i) {
        const MascotEntry& e = mascot_entries[i];
        SCOPED_TRACE(cp932_to_utf8(e.name));
        EXPECT_TRUE(ends_with(cp932_to_utf8(e.affiliation), "のマスコット"));
        EXPECT_STRNE(e.description[0], "");
        EXPECT_STREQ(e.description[4], "");
        if (e.description[1][0] == '\0') ++only_one_line;
        // Lines are used from the top: an empty line has only empty lines below it.
        for (int k = 1; k < kMascotLines; ++k) {
            if (e.description[k - 1][0] == '\0') {
                EXPECT_STREQ(e.description[k], "") << "line " << k + 1;
            }
        }
    }
    EXPECT_EQ(only_one_line, 1);
}

// Mincho at 16 pixels is monospaced: a double-byte character is 16 pixels
// wide and a single-byte one 8, so a Shift-JIS text is 8 pixels per byte.
TEST_F(Catalogue, TextsFitTheirBoxesAtSixteenPixels) {
    auto width = [](const char* sjis) { return 8 * static_cast<int>(std::strlen(sjis)); };
    for (int i = 0; i < kMunicipalityCount; ++i) {
        SCOPED_TRACE(cp932_to_utf8(municipality_entries[i].name));
        EXPECT_LE(width(municipality_entries[i].region), 300);
        EXPECT_LE(width(municipality_entries[i].remark), 300);
    }
    for (int i = 0; i < kMascotCount; ++i) {
        SCOPED_TRACE(cp932_to_utf8(mascot_entries[i].name));
        EXPECT_LE(width(mascot_entries[i].affiliation), 300);
        for (int k = 0; k < kMascotLines; ++k) EXPECT_LE(width(mascot_entries[i].description[k]), 256);
    }
}

TEST_F(Catalogue, FillsTheGeometryOfEveryPieceAndNothingElse) {
    game.municipality_pieces[5] = PieceRecord{Held, 1, 2, 0, 0, 3, 4, 0, 0, 0, 0};
    game.mascot_pieces[94] = PieceRecord{Placed, 5, 6, 0, 0, 7, 8, 0, 0, 0, 0};
    fill_catalogue();

    const PieceRecord& warabi = game.municipality_pieces[5];  // the smallest piece
    EXPECT_EQ(warabi.width, 46);
    EXPECT_EQ(warabi.height, 34);
    EXPECT_EQ(warabi.home_x, 811);
    EXPECT_EQ(warabi.atlas_y, 771);
    EXPECT_EQ(warabi.state, Held);
    EXPECT_EQ(warabi.x, 1);
    EXPECT_EQ(warabi.y, 2);
    EXPECT_EQ(warabi.scatter_x, 3);
    EXPECT_EQ(warabi.scatter_y, 4);

    const PieceRecord& chichibu = game.municipality_pieces[37];  // the largest
    EXPECT_EQ(chichibu.width, 399);
    EXPECT_EQ(chichibu.height, 307);
    EXPECT_EQ(chichibu.home_x, 7);
    EXPECT_EQ(chichibu.home_y, 168);

    const PieceRecord& yoshikawa = game.municipality_pieces[58];
    EXPECT_EQ(yoshikawa.atlas_x + yoshikawa.width, 1024);  // the atlas is at least 1024 wide

    const PieceRecord& last = game.mascot_pieces[94];
    EXPECT_EQ(last.atlas_x, 304);
    EXPECT_EQ(last.atlas_y, 1776);
    EXPECT_EQ(last.width, 32);
    EXPECT_EQ(last.height, 32);
    EXPECT_EQ(last.home_x, 704);
    EXPECT_EQ(last.home_y, 128);
    EXPECT_EQ(last.state, Placed);
    EXPECT_EQ(last.x, 5);
    EXPECT_EQ(last.scatter_y, 8);
}

TEST_F(Catalogue, PiecesLieWhereTheScreenAndTheAtlasHoldThem) {
    double lowest_municipality_cell = 0;
    for (const PieceRecord& p : game.municipality_pieces) {
        EXPECT_GE(p.home_x, 7);
        EXPECT_GE(p.home_y, 7);
        EXPECT_LE(p.home_x + p.width, 1020);
        EXPECT_LE(p.home_y + p.height, 566);
        EXPECT_GE(p.atlas_x, 0);
        EXPECT_GE(p.atlas_y, 569);
        EXPECT_LE(p.atlas_x + p.width, 1024);
        lowest_municipality_cell = std::max(lowest_municipality_cell, p.atlas_y + p.height);
    }
    EXPECT_EQ(lowest_municipality_cell, 1439);

    std::set<std::pair<double, double>> cells;
    for (int i = 0; i < kMascotCount; ++i) {
        const PieceRecord& p = game.mascot_pieces[i];
        EXPECT_EQ(p.atlas_x, 176 + 32 * (i % 10));
        EXPECT_EQ(p.atlas_y, 1488 + 32 * (i / 10));
        EXPECT_GE(p.home_x, 240);
        EXPECT_LE(p.home_x, 976);
        EXPECT_GE(p.home_y, 24);
        EXPECT_LE(p.home_y, 520);
        EXPECT_TRUE(cells.insert({p.atlas_x, p.atlas_y}).second);
        EXPECT_LE(p.atlas_y + p.height, 1808);
    }
}

}  // namespace
