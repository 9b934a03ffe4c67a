// The fixed texts, the info-panel labels' starting layout, the label
// rectangle and the four full-width digits of a time.

#include "scenes/labels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fake_drawing.h"
#include "platform/sjis.h"
#include "ui_text.h"

namespace {

using content_test::IdleSprite;
using content_test::RecordingFont;

bool same_rect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class TimeDigits : public ::testing::Test {
protected:
    void SetUp() override {
        bind_ui_texts();
        saved_font_ = font_gothic_16_bold;
        saved_sprite_ = sprite;
        font_gothic_16_bold = &font_;
        sprite = &sprite_;
    }
    void TearDown() override {
        font_gothic_16_bold = saved_font_;
        sprite = saved_sprite_;
    }

    // The four digits drawn for a time, as one UTF-8 string.
    std::string shown(double seconds) {
        font_.calls.clear();
        draw_time_digits(seconds, kElapsedDigitLefts, 48, 1000, 100);
        std::string text;
        for (const auto& call : font_.calls) text += call.text;
        return text;
    }

    RecordingFont font_;
    IdleSprite sprite_;
    ID3DXFont* saved_font_ = nullptr;
    ID3DXSprite* saved_sprite_ = nullptr;
};

TEST_F(TimeDigits, WritesMinutesAndSecondsInFullWidthDigits) {
    EXPECT_EQ(shown(75), "０１１５");
    EXPECT_EQ(shown(3599), "５９５９");
    EXPECT_EQ(shown(0), "００００");
    EXPECT_EQ(shown(600), "１０００");
    EXPECT_EQ(shown(5999), "９９５９");
}

TEST_F(TimeDigits, FractionsNeverRoundUp) {
    EXPECT_EQ(shown(59.9), "００５９");
    EXPECT_EQ(shown(0.999), "００００");
    EXPECT_EQ(shown(5999.99), "９９５９");
}

TEST_F(TimeDigits, TimesBeyondFourDigitsHoldAtTheLargest) {
    EXPECT_EQ(shown(6000), "９９５９");
    EXPECT_EQ(shown(123456.7), "９９５９");
    EXPECT_EQ(shown(std::numeric_limits<double>::infinity()), "９９５９");
    EXPECT_EQ(shown(1e300), "９９５９");
}

TEST_F(TimeDigits, NegativeOrUndefinedTimesShowZero) {
    EXPECT_EQ(shown(-0.5), "００００");
    EXPECT_EQ(shown(-75), "００００");
    EXPECT_EQ(shown(std::numeric_limits<double>::quiet_NaN()), "００００");
    EXPECT_EQ(shown(-std::numeric_limits<double>::infinity()), "００００");
}

TEST_F(TimeDigits, EachDigitGoesIntoItsOwnRectangleInBlack) {
    struct Use {
        const int* lefts;
        int top, right, bottom;
    };
    const Use uses[] = {
        {kHighScoreDigitLefts, 24, 1024, 56},  // municipality high score
        {kHighScoreDigitLefts, 48, 1024, 80},  // mascot high score
        {kElapsedDigitLefts, 48, 1000, 100},   // elapsed and finishing time
    };
    const int expected_lefts[2][4] = {{888, 904, 940, 956}, {716, 732, 768, 784}};
    for (const Use& use : uses) {
        font_.calls.clear();
        draw_time_digits(754.2, use.lefts, use.top, use.right, use.bottom);  // 12:34
        ASSERT_EQ(font_.calls.size(), 4u);
        const int* lefts = use.lefts == kHighScoreDigitLefts ? expected_lefts[0] : expected_lefts[1];
        const char* digits[4] = {"１", "２", "３", "４"};
        for (int k = 0; k < 4; ++k) {
            const auto& call = font_.calls[k];
            EXPECT_EQ(call.text, digits[k]);
            EXPECT_TRUE(same_rect(call.rect, RECT{lefts[k], use.top, use.right, use.bottom})) << "digit " << k;
            EXPECT_EQ(call.format, DT_WORDBREAK);
            EXPECT_EQ(call.colour, 0xFF000000u);
            EXPECT_EQ(call.count, -1);
            EXPECT_EQ(call.sprite, &sprite_);
        }
    }
}

TEST_F(TimeDigits, NothingIsDrawnWithoutAFontOrBeforeTheTextsAreBound) {
    font_gothic_16_bold = nullptr;
    draw_time_digits(75, kElapsedDigitLefts, 48, 1000, 100);  // must not crash
    font_gothic_16_bold = &font_;

    UiTexts bound = ui_texts;
    ui_texts = UiTexts{};
    EXPECT_EQ(shown(75), "");
    ui_texts = bound;
    EXPECT_EQ(shown(75), "０１１５");
}

TEST(FixedTexts, BindEveryRoleToItsShiftJisText) {
    ui_texts = UiTexts{};
    bind_ui_texts();
    EXPECT_EQ(cp932_to_utf8(ui_texts.title), "ぽこ丸ジグゾー");
    EXPECT_EQ(cp932_to_utf8(ui_texts.caption_municipality), "市町村");
    EXPECT_EQ(cp932_to_utf8(ui_texts.caption_mascot), "ぽこ丸");
    EXPECT_EQ(cp932_to_utf8(ui_texts.caption_play_again), "もう一度");
    EXPECT_EQ(cp932_to_utf8(ui_texts.high_score_municipality), "ハイスコア（市町村）：　　分　　秒");
    EXPECT_EQ(cp932_to_utf8(ui_texts.high_score_mascot), "ハイスコア（ぽこ丸）：　　分　　秒");
    const char* digits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    for (int d = 0; d < 10; ++d) EXPECT_EQ(cp932_to_utf8(ui_texts.digits[d]), digits[d]) << d;
    // Each full-width digit is one double-byte character.
    for (int d = 0; d < 10; ++d) EXPECT_EQ(std::string(ui_texts.digits[d]), std::string("\x82") + char(0x4F + d));
}

TEST(FixedTexts, TextsDrawnDirectlyAreShiftJis) {
    EXPECT_EQ(cp932_to_utf8(ui_text::kPiecesLeft), "残り個数：　　個");
    EXPECT_EQ(cp932_to_utf8(ui_text::kElapsedTime), "経過時間：　　分　　秒");
    EXPECT_EQ(cp932_to_utf8(ui_text::kGameClear), "ゲームクリア！");
    EXPECT_EQ(cp932_to_utf8(ui_text::kNewRecord), "記録更新！");
    EXPECT_EQ(cp932_to_utf8(ui_text::kTimesSign), "×");
    EXPECT_EQ(cp932_to_utf8(ui_text::kWindowTitle), "ぽこ丸ジグゾー");
    EXPECT_EQ(cp932_to_utf8(ui_text::kInitFailedCaption), "初期化失敗");
    EXPECT_EQ(cp932_to_utf8(ui_text::kInitFailedApplication), "アプリケーションの初期化を失敗しました");
    EXPECT_EQ(cp932_to_utf8(ui_text::kInitFailedGraphics), "DirectX Graphicsの初期化を失敗しました");
    EXPECT_EQ(cp932_to_utf8(ui_text::kInitFailedKeyboard), "DirectX Input(Key)の初期化を失敗しました");
    EXPECT_EQ(cp932_to_utf8(ui_text::kInitFailedMouse), "DirectX Input(Mouse)の初期化を失敗しました");
    EXPECT_EQ(cp932_to_utf8(ui_text::kInitFailedSound), "DirectX Musicの初期化を失敗しました");
    // The face names keep their half-width space after the two full-width letters.
    EXPECT_EQ(std::string(ui_text::kFaceMincho), "\x82\x6C\x82\x72 \x96\xBE\x92\xA9");
    EXPECT_EQ(cp932_to_utf8(ui_text::kFaceGothic), "ＭＳ ゴシック");
    EXPECT_EQ(cp932_to_utf8(ui_text::kFaceMeiryo), "メイリオ");
    // Raw bytes of a caption: 残 is 0x8E 0x63, the blank 0x81 0x40.
    EXPECT_EQ(std::string(ui_text::kPiecesLeft),
              "\x8E\x63\x82\xE8\x8C\xC2\x90\x94\x81\x46\x81\x40\x81\x40\x8C\xC2");
}

TEST(LabelRect, TruncatesTowardZeroFromTheTruncatedCorner) {
    RECT r = label_rect(InfoLabel{Shown, 10.9, -23.5, 0.6, 20.7});
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, -23);                  // toward zero, not down to -24
    EXPECT_EQ(r.right, 10);                 // trunc(10 + 0.6), not trunc(10.9 + 0.6) = 11
    EXPECT_EQ(r.bottom, -2);                // trunc(-23 + 20.7) = trunc(-2.3)

    r = label_rect(InfoLabel{Entering, 8, -32, 320, 32});
    EXPECT_TRUE(same_rect(r, RECT{8, -32, 328, 0}));

    r = label_rect(InfoLabel{Shown, 10, 120, 187.99, 20});
    EXPECT_EQ(r.right, 197);
}

TEST(LabelRect, WildValuesStayWithinRange) {
    RECT r = label_rect(InfoLabel{Shown, std::numeric_limits<double>::quiet_NaN(), 1e20, -1e20, 5});
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(r.right, std::numeric_limits<std::int32_t>::min());
}

TEST(InfoPanel, ResetGivesEveryLabelItsStartingLayoutHidden) {
    InfoLabel* all[] = {&game.muni_name_label,          &game.muni_reading_label,    &game.muni_population_label,
                        &game.muni_area_label,          &game.muni_region_label,     &game.muni_remark_label,
                        &game.mascot_name_label,        &game.mascot_affiliation_label,
                        &game.mascot_line_labels[0],    &game.mascot_line_labels[1], &game.mascot_line_labels[2],
                        &game.mascot_line_labels[3],    &game.mascot_line_labels[4]};
    for (InfoLabel* label : all) *label = InfoLabel{Shown, -1, -1, 77, 1};

    reset_labels();

    const double expected[13][4] = {
        {8, -32, 320, 32},  {12, -32, 320, 32}, {40, 180, 100, 20}, {40, 200, 100, 20}, {10, 100, 0, 20},
        {10, 120, 0, 20},   {8, -32, 320, 32},  {10, 76, 0, 20},    {10, 96, 0, 20},    {10, 116, 0, 20},
        {10, 136, 0, 22},   {10, 156, 0, 20},   {10, 176, 0, 20},
    };
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i]->state, Hidden);
        EXPECT_EQ(all[i]->x, expected[i][0]);
        EXPECT_EQ(all[i]->y, expected[i][1]);
        EXPECT_EQ(all[i]->width, expected[i][2]);
        EXPECT_EQ(all[i]->height, expected[i][3]);
    }
}

}  // namespace
