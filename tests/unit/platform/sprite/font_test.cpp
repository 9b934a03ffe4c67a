// Fonts over a recording backend: the game's eight faces exist, heights are
// cell heights, and the DrawText formats the game uses lay out, clip, align
// and break text as they should, as quads in the sprite batch's call order.

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <fontconfig/fontconfig.h>

#include "platform/hosted/managed_texture.h"
#endif

#include <algorithm>
#include <string>

#include "platform/sprite/font.h"
#include "platform/sprite/sprite_objects.h"
#include "recording_backend.h"
#include "sjis_text.h"

namespace {

ID3DXFont* make_font(RenderBackend& backend, int height, UINT weight, const std::string& face_utf8) {
    ID3DXFont* font = nullptr;
    const std::string face = sjis(face_utf8);
    EXPECT_EQ(create_font(&backend, height, weight, face.c_str(), &font), S_OK) << face_utf8;
    return font;
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        sprite = new SpriteBatch(&backend);
        gothic = make_font(backend, 16, 400, "ＭＳ ゴシック");
        ASSERT_NE(gothic, nullptr);
    }
    void TearDown() override {
        if (gothic) gothic->Release();
        sprite->Release();
    }

    // The quads of one DrawTextA call.
    std::vector<RecordingBackend::Quad> drawn(ID3DXFont* font, const std::string& utf8, RECT rect, DWORD format,
                                              D3DCOLOR colour = 0xFFFFFFFF, int* height = nullptr) {
        backend.draws.clear();
        EXPECT_EQ(sprite->Begin(0x11), S_OK);
        const std::string text = sjis(utf8);
        const int h = font->DrawTextA(sprite, text.c_str(), -1, &rect, format, colour);
        if (height) *height = h;
        EXPECT_EQ(sprite->End(), S_OK);
        return backend.quads();
    }

    RECT measure(ID3DXFont* font, const std::string& utf8, RECT rect, DWORD format = 0, int* height = nullptr) {
        const std::string text = sjis(utf8);
        const int h = font->DrawTextA(nullptr, text.c_str(), -1, &rect, format | DT_CALCRECT, 0xFFFFFFFF);
        if (height) *height = h;
        return rect;
    }
    int width_of(ID3DXFont* font, const std::string& utf8) {
        const RECT r = measure(font, utf8, {0, 0, 1000, 1000});
        return r.right - r.left;
    }

    // Sum of glyph coverage over everything the quads show.
    double ink(const std::vector<RecordingBackend::Quad>& quads) {
        double sum = 0;
        for (const auto& q : quads) {
            const RecordedTexture& t = backend.textures.at(q.texture);
            const int x0 = static_cast<int>(q.top_left.u * t.width + 0.5f);
            const int x1 = static_cast<int>(q.bottom_right.u * t.width + 0.5f);
            const int y0 = static_cast<int>(q.top_left.v * t.height + 0.5f);
            const int y1 = static_cast<int>(q.bottom_right.v * t.height + 0.5f);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) sum += t.at(x, y) >> 24;
        }
        return sum;
    }

    RecordingBackend backend;
    SpriteBatch* sprite = nullptr;
    ID3DXFont* gothic = nullptr;
};

}  // namespace

// --- Faces -------------------------------------------------------------------

// (Elsewhere than Windows the bold title font has its own test below.)
TEST_F(FontTest, TheEightFontsOfTheGameAreMadeFromInstalledJapaneseFaces) {
    struct Row {
        int height;
        UINT weight;
        const char* face;
        const char* family;
    };
    const Row rows[] = {
#if defined(_WIN32)
        {144, 700, "ＭＳ 明朝", "IPAMincho"},  // the system's own mapping
#endif
        {28, 400, "ＭＳ ゴシック", "IPAGothic"},
        {64, 400, "メイリオ", "IPAexGothic"},   {32, 400, "メイリオ", "IPAexGothic"},
        {16, 400, "ＭＳ ゴシック", "IPAGothic"}, {16, 400, "ＭＳ ゴシック", "IPAGothic"},
        {16, 400, "ＭＳ 明朝", "IPAMincho"},    {16, 700, "ＭＳ ゴシック", "IPAGothic"},
    };
    for (const Row& row : rows) {
        ID3DXFont* font = make_font(backend, row.height, row.weight, row.face);
        ASSERT_NE(font, nullptr) << row.face;
        FontDescription d;
        ASSERT_TRUE(describe_font(font, d));
        EXPECT_EQ(d.family, row.family) << row.face;
        EXPECT_EQ(d.height, row.height);
        EXPECT_EQ(d.bold, row.weight == 700);
        EXPECT_GT(d.ascent, row.height / 2);
        EXPECT_LT(d.ascent, row.height);
        font->Release();
    }
}

#if !defined(_WIN32)
// Whether fontconfig knows a bold face of the family, asked directly.
static bool bold_face_installed(const char* family) {
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    const bool found = set && set->nfont > 0;
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

// The 144-pixel title: a real bold serif face where one is installed, with
// the thickened regular Mincho as the fallback. Other bold fonts keep theirs.
TEST_F(FontTest, TheBoldMinchoIsARealBoldSerifFaceWhereOneIsInstalled) {
    ID3DXFont* title = make_font(backend, 144, 700, "ＭＳ 明朝");
    ASSERT_NE(title, nullptr);
    FontDescription d;
    ASSERT_TRUE(describe_font(title, d));
    if (bold_face_installed("Noto Serif CJK JP")) {
        EXPECT_EQ(d.family, "Noto Serif CJK JP");
        EXPECT_FALSE(d.synthetic_bold);
    } else {
        EXPECT_EQ(d.family, "IPAMincho");
        EXPECT_TRUE(d.synthetic_bold);
    }
    EXPECT_TRUE(d.bold);
    EXPECT_EQ(d.height, 144);
    EXPECT_GT(width_of(title, "ぽこ丸"), 3 * 144 * 3 / 4);
    title->Release();
    ID3DXFont* regular = make_font(backend, 16, 400, "ＭＳ 明朝");
    ASSERT_TRUE(describe_font(regular, d));
    EXPECT_EQ(d.family, "IPAMincho") << "the regular Mincho stays";
    regular->Release();
    ID3DXFont* gothic_bold = make_font(backend, 16, 700, "ＭＳ ゴシック");
    ASSERT_TRUE(describe_font(gothic_bold, d));
    EXPECT_EQ(d.family, "IPAGothic");
    gothic_bold->Release();
}

#endif

TEST_F(FontTest, AnUnknownFaceFallsBackToAnInstalledJapaneseFace) {
    ID3DXFont* font = make_font(backend, 16, 400, "存在しない書体");
    ASSERT_NE(font, nullptr);
    FontDescription d;
    ASSERT_TRUE(describe_font(font, d));
    EXPECT_EQ(d.family.rfind("IPA", 0), 0u) << d.family;
    EXPECT_GT(width_of(font, "日本語"), 0);
    font->Release();
}

TEST_F(FontTest, BadArgumentsAreRefused) {
    ID3DXFont* font = reinterpret_cast<ID3DXFont*>(1);
    EXPECT_EQ(create_font(&backend, 16, 400, nullptr, &font), D3DERR_INVALIDCALL);
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(create_font(nullptr, 16, 400, "x", &font), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateFontA(nullptr, 16, 0, 400, 1, 0, SHIFTJIS_CHARSET, 0, 0, 0, "x", &font), D3DERR_INVALIDCALL);
}

// --- Measuring -----------------------------------------------------------------

TEST_F(FontTest, HeightIsTheCellHeightOfOneLine) {
    int h = 0;
    const RECT r = measure(gothic, "あ", {10, 20, 500, 500}, 0, &h);
    EXPECT_EQ(h, 16);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.bottom, 36);
    EXPECT_EQ(r.left, 10);
    // A full-width character of a monospaced Japanese face is one em wide,
    // close to the cell height.
    EXPECT_NEAR(r.right - r.left, 16, 2);

    ID3DXFont* big = make_font(backend, 144, 700, "ＭＳ 明朝");
    EXPECT_EQ(measure(big, "ぽこ丸", {0, 0, 2000, 2000}, 0, &h).bottom, 144);
    EXPECT_EQ(h, 144);
    big->Release();
}

// The game's captions leave blanks for the named faces' glyphs, so a face
// standing in for one is sized by the named face's em: ＭＳ 明朝's cell is
// one em, メイリオ's one and a half.
TEST_F(FontTest, FullWidthCharactersAreTheNamedFacesEmWide) {
    ID3DXFont* mincho = make_font(backend, 144, 400, "ＭＳ 明朝");
    ID3DXFont* meiryo = make_font(backend, 32, 400, "メイリオ");
    EXPECT_NEAR(width_of(mincho, "あ"), 144, 6);
    EXPECT_NEAR(width_of(meiryo, "あ"), 32 / 1.5, 2);
    int h = 0;
    measure(meiryo, "あ", {0, 0, 500, 500}, 0, &h);
    EXPECT_EQ(h, 32) << "the line is still the cell asked for";
    mincho->Release();
    meiryo->Release();
}

TEST_F(FontTest, WiderTextMeasuresWider) {
    EXPECT_GT(width_of(gothic, "あいう"), width_of(gothic, "あい"));
    EXPECT_EQ(width_of(gothic, "あいう") - width_of(gothic, "あい"), width_of(gothic, "う"));
    ID3DXFont* proportional = make_font(backend, 32, 400, "メイリオ");
    EXPECT_GT(width_of(proportional, "WWWW"), width_of(proportional, "iiii"));
    proportional->Release();
}

TEST_F(FontTest, LineFeedsStartNewLines) {
    int h = 0;
    const RECT r = measure(gothic, "あいう\nあ", {0, 0, 500, 500}, 0, &h);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(r.right, width_of(gothic, "あいう"));
    EXPECT_EQ(measure(gothic, "あ\r\nい", {0, 0, 500, 500}).bottom, 32);
}

TEST_F(FontTest, BoldIsWiderAndDarker) {
    ID3DXFont* bold = make_font(backend, 16, 700, "ＭＳ ゴシック");
    EXPECT_GT(width_of(bold, "漢字の太さ"), width_of(gothic, "漢字の太さ"));
    const double regular_ink = ink(drawn(gothic, "漢", {0, 0, 100, 100}, DT_NOCLIP));
    const double bold_ink = ink(drawn(bold, "漢", {0, 0, 100, 100}, DT_NOCLIP));
    EXPECT_GT(bold_ink, regular_ink * 1.2);
    bold->Release();
}

TEST_F(FontTest, EmptyTextMeasuresNothing) {
    RECT r{5, 5, 100, 100};
    EXPECT_EQ(gothic->DrawTextA(nullptr, "", -1, &r, DT_CALCRECT, 0xFFFFFFFF), 0);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.bottom, 5);
}

// --- Drawing and clipping --------------------------------------------------------

TEST_F(FontTest, GlyphsAreWhiteCoverageTintedByTheVertexColour) {
    const auto quads = drawn(gothic, "漢字", {0, 0, 200, 50}, 0, 0xFF123456);
    ASSERT_EQ(quads.size(), 2u);
    for (const RecordedDraw& d : backend.draws)
        for (const SpriteVertex& v : d.vertices) EXPECT_EQ(v.colour, 0xFF123456u);
    const RecordedTexture& page = backend.textures.at(quads[0].texture);
    bool any_ink = false;
    for (std::uint32_t t : page.texels) {
        EXPECT_EQ(t & 0x00FFFFFF, 0x00FFFFFFu);
        any_ink |= (t >> 24) == 0xFF;
    }
    EXPECT_TRUE(any_ink);
}

TEST_F(FontTest, FormatZeroStartsAtTheTopLeftAndCutsGlyphsAtTheRectangle) {
    int h = 0;
    const auto all = drawn(gothic, "あいうえお", {100, 50, 1000, 200}, 0, 0xFFFFFFFF, &h);
    EXPECT_EQ(h, 16);
    ASSERT_EQ(all.size(), 5u);
    float left = 1e9f, top = 1e9f, bottom = 0;
    for (const auto& q : all) {
        left = std::min(left, q.top_left.x);
        top = std::min(top, q.top_left.y);
        bottom = std::max(bottom, q.bottom_right.y);
    }
    EXPECT_GE(left, 100.0f);
    EXPECT_LE(left, 104.0f);
    EXPECT_GE(top, 50.0f);
    EXPECT_LE(bottom, 66.0f);

    // A rectangle ending in the middle of the third character.
    const auto cut = drawn(gothic, "あいうえお", {100, 50, 140, 200}, 0);
    ASSERT_EQ(cut.size(), 3u);
    const auto& last = cut.back();
    EXPECT_FLOAT_EQ(last.bottom_right.x, 140.0f);
    const RecordedTexture& page = backend.textures.at(last.texture);
    // The texture coordinates moved with the cut: still one texel per pixel.
    EXPECT_NEAR((last.bottom_right.u - last.top_left.u) * page.width, last.bottom_right.x - last.top_left.x, 1e-3);
    EXPECT_NEAR((last.bottom_right.v - last.top_left.v) * page.height, last.bottom_right.y - last.top_left.y, 1e-3);
    for (const auto& q : cut) EXPECT_LE(q.bottom_right.x, 140.0f);
}

TEST_F(FontTest, AGrowingClipWidthUncoversTheTextFromLeftToRight) {
    double previous = -1;
    double full = 0;
    for (int width = 0; width <= 90; width += 3) {
        const double now = ink(drawn(gothic, "ゲームクリア", {0, 0, width, 40}, 0));
        EXPECT_GE(now, previous) << "width " << width;
        previous = now;
        full = now;
    }
    EXPECT_GT(full, 0);
    EXPECT_TRUE(drawn(gothic, "ゲームクリア", {0, 0, 0, 40}, 0).empty());
    EXPECT_TRUE(drawn(gothic, "", {0, 0, 100, 40}, 0).empty());
}

TEST_F(FontTest, TheBottomEdgeCutsToo) {
    const auto quads = drawn(gothic, "漢字", {0, 0, 200, 8}, 0);
    ASSERT_FALSE(quads.empty());
    for (const auto& q : quads) EXPECT_LE(q.bottom_right.y, 8.0f);
}

TEST_F(FontTest, NoClipDrawsBeyondTheRectangle) {
    const auto quads = drawn(gothic, "あいうえお", {100, 50, 120, 55}, DT_NOCLIP);
    ASSERT_EQ(quads.size(), 5u);
    EXPECT_GT(quads.back().bottom_right.x, 150.0f);
    EXPECT_GT(quads.back().bottom_right.y, 60.0f);
}

TEST_F(FontTest, RightAlignmentEndsEachLineAtTheRightEdge) {
    const auto quads = drawn(gothic, "１２３４", {0, 0, 300, 40}, DT_RIGHT);
    ASSERT_EQ(quads.size(), 4u);
    const int width = width_of(gothic, "１２３４");
    float right = 0, left = 1e9f;
    for (const auto& q : quads) right = std::max(right, q.bottom_right.x), left = std::min(left, q.top_left.x);
    EXPECT_LE(right, 300.0f);
    EXPECT_GE(right, 300.0f - 4);
    EXPECT_GE(left, 300.0f - width);
    const RECT r = measure(gothic, "１２３４", {0, 0, 300, 40}, DT_RIGHT);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.left, 300 - width);
    // Wider than the rectangle: the start is cut off, the end stays.
    const auto clipped = drawn(gothic, "１２３４", {290, 0, 300, 40}, DT_RIGHT);
    ASSERT_FALSE(clipped.empty());
    for (const auto& q : clipped) EXPECT_GE(q.top_left.x, 290.0f);
}

TEST_F(FontTest, WordBreakMovesTheRestOntoTheNextLine) {
    const int three = width_of(gothic, "あいう");
    int h = 0;
    const auto quads = drawn(gothic, "あいうえおか", {0, 0, three, 100}, DT_WORDBREAK, 0xFFFFFFFF, &h);
    EXPECT_EQ(h, 32);
    ASSERT_EQ(quads.size(), 6u);
    for (int i = 0; i < 3; ++i) EXPECT_LT(quads[i].top_left.y, 16.0f);
    for (int i = 3; i < 6; ++i) EXPECT_GE(quads[i].top_left.y, 16.0f);
    EXPECT_LT(quads[3].top_left.x, 4.0f) << "the second line starts at the left edge again";
    // The rectangle's bottom clips the lines below it.
    const auto cut = drawn(gothic, "あいうえおか", {0, 0, three, 16}, DT_WORDBREAK);
    EXPECT_EQ(cut.size(), 3u);
}

TEST_F(FontTest, WordBreakKeepsClosingPunctuationOffALineStart) {
    const int three = width_of(gothic, "あいう");
    // Plain: three per line.
    RECT r = measure(gothic, "あいうえ", {0, 0, three, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.right, three);
    // "。" may not begin the second line, so "う" goes down with it.
    r = measure(gothic, "あいう。", {0, 0, three, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, 32);
    EXPECT_EQ(r.right, width_of(gothic, "あい"));
    r = measure(gothic, "あいうー", {0, 0, three, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.right, width_of(gothic, "あい"));
    r = measure(gothic, "あいう」", {0, 0, three, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.right, width_of(gothic, "あい"));
}

TEST_F(FontTest, WordBreakKeepsOpeningBracketsOffALineEnd) {
    const int three = width_of(gothic, "あいう");
    const RECT r = measure(gothic, "あい「う", {0, 0, three, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, 32);
    EXPECT_EQ(r.right, width_of(gothic, "あい"));
}

TEST_F(FontTest, WordBreakBreaksLatinTextAtSpaces) {
    ID3DXFont* font = make_font(backend, 32, 400, "メイリオ");
    const int hello = width_of(font, "hello");
    const int most = width_of(font, "hello wor");
    int h = 0;
    const RECT r = measure(font, "hello world", {0, 0, most, 200}, DT_WORDBREAK, &h);
    EXPECT_EQ(h, 64);
    EXPECT_EQ(r.right, std::max(hello, width_of(font, "world")));
    // Without the flag the line runs on (and is clipped when drawn).
    EXPECT_EQ(measure(font, "hello world", {0, 0, most, 200}, 0).bottom, 32);
    font->Release();
}

// Pictures here are Linux textures over the recording backend; on Windows a
// picture is a Direct3D texture (d3d9_device_test.cpp).
#if !defined(_WIN32)
TEST_F(FontTest, TextsAndPicturesShareTheBatchInCallOrder) {
    TextureImage image;
    image.levels.push_back({8, 8, std::vector<std::uint32_t>(64, 0xFFFFFFFF)});
    IDirect3DTexture9* atlas = nullptr;
    ASSERT_EQ(create_texture_from_image(&backend, std::move(image), &atlas), S_OK);
    const BackendTexture atlas_handle = static_cast<ManagedTexture*>(atlas)->handle();
    ID3DXFont* mincho = make_font(backend, 16, 400, "ＭＳ 明朝");

    backend.draws.clear();
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    const RECT source{0, 0, 8, 8};
    const D3DXVECTOR3 at{0, 0, 0};
    sprite->Draw(atlas, &source, nullptr, &at, 0xFFFFFFFF);
    RECT r{0, 0, 100, 20};
    const std::string a = sjis("川"), b = sjis("山");
    gothic->DrawTextA(sprite, a.c_str(), -1, &r, 0, 0xFFFFFFFF);
    sprite->Draw(atlas, &source, nullptr, &at, 0xFFFFFFFF);
    mincho->DrawTextA(sprite, b.c_str(), -1, &r, 0, 0xFFFFFFFF);
    ASSERT_EQ(sprite->End(), S_OK);

    ASSERT_EQ(backend.draws.size(), 4u);
    EXPECT_EQ(backend.draws[0].texture, atlas_handle);
    EXPECT_NE(backend.draws[1].texture, atlas_handle);
    EXPECT_EQ(backend.draws[2].texture, atlas_handle);
    EXPECT_NE(backend.draws[3].texture, atlas_handle);
    EXPECT_NE(backend.draws[3].texture, backend.draws[1].texture) << "each font has its own glyph pages";
    mincho->Release();
    atlas->Release();
}
#endif

TEST_F(FontTest, GlyphsAreRasterisedOnceAndOutliveASpriteReset) {
    drawn(gothic, "埼玉県", {0, 0, 200, 20}, 0);
    const std::size_t pages = backend.textures.size();
    const auto texels = backend.textures.begin()->second.texels;
    sprite->OnLostDevice();
    sprite->OnResetDevice();
    const auto again = drawn(gothic, "埼玉県", {0, 0, 200, 20}, 0);
    EXPECT_EQ(again.size(), 3u);
    EXPECT_EQ(backend.textures.size(), pages);
    EXPECT_EQ(backend.textures.begin()->second.texels, texels);
}

TEST_F(FontTest, DrawingNeedsAnOpenPairOrNoSpriteAtAll) {
    RECT r{0, 0, 100, 20};
    const std::string text = sjis("秩父");
    EXPECT_EQ(gothic->DrawTextA(sprite, text.c_str(), -1, &r, 0, 0xFFFFFFFF), 0);
    EXPECT_TRUE(backend.draws.empty());
    // Without a sprite the font draws at once through its own batch.
    EXPECT_EQ(gothic->DrawTextA(nullptr, text.c_str(), -1, &r, 0, 0xFFFFFFFF), 16);
    EXPECT_EQ(backend.quads().size(), 2u);
}

TEST_F(FontTest, ExplicitCountDrawsOnlyThatManyBytes) {
    const std::string text = sjis("熊谷市役所");
    backend.draws.clear();
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    RECT r{0, 0, 300, 20};
    gothic->DrawTextA(sprite, text.c_str(), 4, &r, 0, 0xFFFFFFFF);  // two double-byte characters
    ASSERT_EQ(sprite->End(), S_OK);
    EXPECT_EQ(backend.quads().size(), 2u);
}
