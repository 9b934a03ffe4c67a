// The fonts' shared layout over a glyph source whose every metric is known:
// line feeds, word breaking (spaces, Japanese text, the characters that may
// not start or end a line), right alignment, clipping at the rectangle,
// DT_CALCRECT and the glyph cache. Platform-independent: no installed fonts.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "platform/sprite/glyph_source.h"
#include "platform/sprite/sprite_objects.h"
#include "recording_backend.h"
#include "sjis_text.h"

namespace {

constexpr int kCell = 20;
constexpr int kAscent = 16;

// A space advances 5, other ASCII 10, everything else 20. Every glyph's
// picture fills its advance and the whole cell, all coverage 255 except the
// top row, which is 128, so clipping can be seen in the texels.
int advance_of(char32_t c) { return c == U' ' ? 5 : c < 0x80 ? 10 : 20; }

class FixedGlyphs final : public GlyphSource {
public:
    explicit FixedGlyphs(std::map<std::uint32_t, int>* rasterised) : rasterised_(rasterised) {
        description_.family = "Fixed";
        description_.height = kCell;
        description_.ascent = kAscent;
    }
    void shape(const std::u32string& text, std::size_t start, std::size_t end,
               std::vector<ShapedGlyph>& out) override {
        for (std::size_t i = start; i < end; ++i)
            out.push_back({static_cast<std::uint32_t>(text[i]), static_cast<std::uint32_t>(i), advance_of(text[i]),
                           0.0f, 0.0f});
    }
    bool rasterise(std::uint32_t glyph, GlyphImage& out) override {
        ++(*rasterised_)[glyph];
        out = GlyphImage{};
        if (glyph == U' ') return true;
        out.width = advance_of(static_cast<char32_t>(glyph));
        out.height = kCell;
        out.left = 0;
        out.top = kAscent;
        out.coverage.assign(static_cast<std::size_t>(out.width) * out.height, 255);
        std::fill(out.coverage.begin(), out.coverage.begin() + out.width, 128);
        return true;
    }
    const FontDescription& description() const override { return description_; }

private:
    std::map<std::uint32_t, int>* rasterised_;
    FontDescription description_;
};

class FontLayout : public ::testing::Test {
protected:
    void SetUp() override {
        sprite = new SpriteBatch(&backend);
        ASSERT_EQ(create_font_over(&backend, std::make_unique<FixedGlyphs>(&rasterised), &font), S_OK);
    }
    void TearDown() override {
        if (font) font->Release();
        sprite->Release();
    }

    struct Placed {
        float x0, y0, x1, y1;
        float texels_wide, texels_high;  // how much of the glyph page the quad shows
    };

    // The quads of one DrawTextA call, in pixels and in texels shown.
    std::vector<Placed> draw(const std::string& utf8, RECT rect, DWORD format, int* height = nullptr) {
        backend.draws.clear();
        EXPECT_EQ(sprite->Begin(0x11), S_OK);
        const std::string text = sjis(utf8);
        const int h = font->DrawTextA(sprite, text.c_str(), -1, &rect, format, 0xFF102030);
        if (height) *height = h;
        EXPECT_EQ(sprite->End(), S_OK);
        std::vector<Placed> out;
        for (const auto& q : backend.quads()) {
            const RecordedTexture& page = backend.textures.at(q.texture);
            out.push_back({q.top_left.x, q.top_left.y, q.bottom_right.x, q.bottom_right.y,
                           (q.bottom_right.u - q.top_left.u) * page.width,
                           (q.bottom_right.v - q.top_left.v) * page.height});
        }
        return out;
    }

    RECT measure(const std::string& utf8, RECT rect, DWORD format = 0, int* height = nullptr) {
        const std::string text = sjis(utf8);
        const int h = font->DrawTextA(nullptr, text.c_str(), -1, &rect, format | DT_CALCRECT, 0xFFFFFFFF);
        if (height) *height = h;
        return rect;
    }

    // The left edges of the quads whose top is at y.
    static std::vector<float> lefts_at(const std::vector<Placed>& quads, float y) {
        std::vector<float> xs;
        for (const Placed& p : quads)
            if (p.y0 == y) xs.push_back(p.x0);
        return xs;
    }

    RecordingBackend backend;
    SpriteBatch* sprite = nullptr;
    ID3DXFont* font = nullptr;
    std::map<std::uint32_t, int> rasterised;
};

}  // namespace

// --- Measuring -----------------------------------------------------------------

TEST_F(FontLayout, CalcRectMeasuresTheWidestLineAndOneCellPerLine) {
    int h = 0;
    RECT r = measure("ab cd", {7, 9, 1000, 1000}, 0, &h);
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.top, 9);
    EXPECT_EQ(r.right, 7 + 45);
    EXPECT_EQ(r.bottom, 9 + kCell);
    EXPECT_EQ(h, kCell);

    // Line feeds, with or without a carriage return, start new lines; an
    // empty line still takes its cell.
    r = measure("ab\r\nあいう\n\nx", {0, 0, 1000, 1000}, 0, &h);
    EXPECT_EQ(r.right, 60);
    EXPECT_EQ(h, 4 * kCell);
    EXPECT_EQ(r.bottom, 4 * kCell);

    // Right-aligned, the rectangle keeps its right edge and grows leftwards.
    r = measure("ab", {100, 0, 300, 50}, DT_RIGHT);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.left, 280);

    // Nothing to draw measures nothing.
    r = measure("", {5, 6, 100, 100}, 0, &h);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.bottom, 6);
    EXPECT_TRUE(backend.draws.empty()) << "measuring draws nothing";
}

TEST_F(FontLayout, DrawingReturnsTheSameHeightAsMeasuring) {
    int drawn_height = 0, measured_height = 0;
    draw("aaa bbb ccc", {0, 0, 75, 500}, DT_WORDBREAK, &drawn_height);
    measure("aaa bbb ccc", {0, 0, 75, 500}, DT_WORDBREAK, &measured_height);
    EXPECT_EQ(drawn_height, 2 * kCell);
    EXPECT_EQ(measured_height, drawn_height);
}

// --- Word breaking ---------------------------------------------------------------

TEST_F(FontLayout, LatinTextBreaksAtSpacesAndLinesLoseTheirTrailingSpaces) {
    // "aaa bbb" is 65 wide and fits 75; " ccc" does not.
    const auto quads = draw("aaa bbb ccc", {0, 0, 75, 500}, DT_WORDBREAK);
    EXPECT_EQ(lefts_at(quads, 0), (std::vector<float>{0, 10, 20, 35, 45, 55}));
    EXPECT_EQ(lefts_at(quads, kCell), (std::vector<float>{0, 10, 20}));
    const RECT r = measure("aaa bbb ccc", {0, 0, 75, 500}, DT_WORDBREAK);
    EXPECT_EQ(r.right, 65) << "the space at the break is not part of the line";
    EXPECT_EQ(r.bottom, 2 * kCell);
}

TEST_F(FontLayout, AWordWiderThanTheRectangleOverflowsRatherThanSplitting) {
    const RECT r = measure("abcdefgh ij", {0, 0, 30, 500}, DT_WORDBREAK);
    EXPECT_EQ(r.right, 80);
    EXPECT_EQ(r.bottom, 2 * kCell);
}

TEST_F(FontLayout, JapaneseTextBreaksBetweenAnyTwoCharacters) {
    const auto quads = draw("あいうえお", {0, 0, 50, 500}, DT_WORDBREAK);
    EXPECT_EQ(lefts_at(quads, 0), (std::vector<float>{0, 20}));
    EXPECT_EQ(lefts_at(quads, kCell), (std::vector<float>{0, 20}));
    EXPECT_EQ(lefts_at(quads, 2 * kCell), (std::vector<float>{0}));
}

TEST_F(FontLayout, ClosingPunctuationNeverStartsALineAndOpeningBracketsNeverEndOne) {
    // "あい。う" in 40: the full stop would start the second line, so い
    // goes down with it.
    RECT r = measure("あい。う", {0, 0, 40, 500}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, 3 * kCell);
    auto quads = draw("あい。う", {0, 0, 40, 500}, DT_WORDBREAK);
    EXPECT_EQ(lefts_at(quads, 0), (std::vector<float>{0}));
    EXPECT_EQ(lefts_at(quads, kCell), (std::vector<float>{0, 20}));
    EXPECT_EQ(lefts_at(quads, 2 * kCell), (std::vector<float>{0}));

    // "あ「い」" in 40: 「 may not end the first line, so it moves down with
    // い; the closing 」 then overflows rather than start a line.
    quads = draw("あ「い」", {0, 0, 40, 500}, DT_WORDBREAK | DT_NOCLIP);
    EXPECT_EQ(lefts_at(quads, 0), (std::vector<float>{0}));
    EXPECT_EQ(lefts_at(quads, kCell), (std::vector<float>{0, 20, 40}));
}

TEST_F(FontLayout, WithoutWordBreakALineRunsOnAndOnlyLineFeedsBreakIt) {
    const RECT r = measure("aaa bbb ccc", {0, 0, 30, 500});
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, kCell);
}

// --- Alignment -------------------------------------------------------------------

TEST_F(FontLayout, RightAlignmentEndsEveryLineAtTheRightEdge) {
    const auto quads = draw("aaa bbb ccc", {0, 0, 75, 500}, DT_WORDBREAK | DT_RIGHT);
    // 65 wide, then 30 wide, both ending at 75.
    EXPECT_EQ(lefts_at(quads, 0), (std::vector<float>{10, 20, 30, 45, 55, 65}));
    EXPECT_EQ(lefts_at(quads, kCell), (std::vector<float>{45, 55, 65}));
}

TEST_F(FontLayout, GlyphsSitOnTheBaselineOfTheirLine) {
    const auto quads = draw("a\nb", {3, 40, 500, 500}, 0);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].x0, 3);
    EXPECT_EQ(quads[0].y0, 40);  // top = baseline (40 + 16) - 16
    EXPECT_EQ(quads[0].y1, 40 + kCell);
    EXPECT_EQ(quads[1].y0, 40 + kCell);
}

// --- Clipping --------------------------------------------------------------------

TEST_F(FontLayout, TheRectangleCutsQuadsAndTheirTexturesAlike) {
    // "ab" is 20 wide and 20 high; the rectangle is 15 x 15.
    const auto quads = draw("ab", {0, 0, 15, 15}, 0);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].x1, 10);
    EXPECT_EQ(quads[0].y1, 15);
    EXPECT_FLOAT_EQ(quads[0].texels_wide, 10);
    EXPECT_FLOAT_EQ(quads[0].texels_high, 15);
    EXPECT_EQ(quads[1].x0, 10);
    EXPECT_EQ(quads[1].x1, 15);
    EXPECT_FLOAT_EQ(quads[1].texels_wide, 5) << "only the uncovered half of b shows";
}

TEST_F(FontLayout, RightAlignedTextWiderThanTheRectangleLosesItsStart) {
    // 40 wide in 25: the pen starts at -15; a is hidden, b is cut to its
    // right half.
    const auto quads = draw("abcd", {0, 0, 25, 20}, DT_RIGHT);
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_EQ(quads[0].x0, 0);
    EXPECT_EQ(quads[0].x1, 5);
    EXPECT_FLOAT_EQ(quads[0].texels_wide, 5);
    EXPECT_EQ(quads[2].x1, 25);
}

TEST_F(FontLayout, LinesBelowTheRectangleAreSkippedUnlessNothingClips) {
    EXPECT_EQ(draw("a\nb\nc", {0, 0, 100, 40}, 0).size(), 2u);
    const auto all = draw("a\nb\nc", {0, 0, 100, 40}, DT_NOCLIP);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].y0, 2 * kCell);
    EXPECT_FLOAT_EQ(all[2].texels_high, kCell) << "nothing is cut without clipping";
}

// --- Glyphs ----------------------------------------------------------------------

TEST_F(FontLayout, EachGlyphIsRasterisedOnceAndCarriesItsCoverageAsAlpha) {
    draw("abab", {0, 0, 500, 500}, 0);
    draw("ba あ", {0, 0, 500, 500}, 0);
    EXPECT_EQ(rasterised[U'a'], 1);
    EXPECT_EQ(rasterised[U'b'], 1);
    EXPECT_EQ(rasterised[U'あ'], 1);
    EXPECT_EQ(rasterised[U' '], 1);

    // The glyph page: white texels whose alpha is the coverage, the glyph's
    // top row at half.
    const auto quads = draw("a", {0, 0, 500, 500}, 0);
    ASSERT_EQ(quads.size(), 1u);
    const auto q = backend.quads().front();
    const RecordedTexture& page = backend.textures.at(q.texture);
    const int x = static_cast<int>(q.top_left.u * page.width + 0.5f);
    const int y = static_cast<int>(q.top_left.v * page.height + 0.5f);
    EXPECT_EQ(page.at(x, y), 0x80FFFFFFu);
    EXPECT_EQ(page.at(x + 3, y + 5), 0xFFFFFFFFu);
    EXPECT_EQ(q.top_left.colour, 0xFF102030u) << "the text's colour rides on the vertices";
}

TEST_F(FontLayout, ASourceWithoutACellHeightOrWithoutABackendIsRefused) {
    class NoCell final : public GlyphSource {
    public:
        void shape(const std::u32string&, std::size_t, std::size_t, std::vector<ShapedGlyph>&) override {}
        bool rasterise(std::uint32_t, GlyphImage&) override { return false; }
        const FontDescription& description() const override { return d; }
        FontDescription d;
    };
    ID3DXFont* made = reinterpret_cast<ID3DXFont*>(1);
    EXPECT_EQ(create_font_over(&backend, std::make_unique<NoCell>(), &made), D3DERR_INVALIDCALL);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(create_font_over(nullptr, std::make_unique<FixedGlyphs>(&rasterised), &made), D3DERR_INVALIDCALL);
    EXPECT_EQ(create_font_over(&backend, nullptr, &made), D3DERR_INVALIDCALL);
}
