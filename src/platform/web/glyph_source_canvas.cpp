// The browser's glyph source (sprite/glyph_source.h). Not implemented: a
// face the page does not serve (it is asked of the browser by name, with the
// gothic face's proportions), and hinting.
//
// Glyphs in the browser from canvas text, with the IPA faces the page serves
// as web fonts (cut to the characters the game's texts use). The Windows face
// names map to the same faces as on Linux, and a positive height is the named
// face's cell height, so texts keep their places: the em size comes from the
// named face's cell per em, the ascent from the served face's own Windows
// metrics (its OS/2 table, read once from the font files and written here).
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

#include "platform/sjis.h"
#include "platform/sprite/glyph_source.h"
#include "platform/web/web_page.h"

namespace {

struct ServedFace {
    std::string_view family;   // as the page registers it with the browser
    std::string_view file;     // beside index.html
    double win_ascent, win_descent;
    bool bold_face;
};

// usWinAscent and usWinDescent of the served files.
constexpr ServedFace kIpaMincho{"IPAMincho", "fonts/ipam.woff2", 1802, 455, false};
constexpr ServedFace kIpaGothic{"IPAGothic", "fonts/ipag.woff2", 1802, 401, false};
constexpr ServedFace kIpaExGothic{"IPAexGothic", "fonts/ipaexg.woff2", 1802, 401, false};
constexpr ServedFace kSerifBold{"Noto Serif CJK JP", "fonts/noto-serif-bold.woff2", 1151, 286, true};

struct FaceSubstitute {
    std::string_view windows;
    const ServedFace* regular;
    double cell_per_em;  // the named face's cell height over its em
    const ServedFace* bold;  // null: the regular face, emboldened by the browser
};

constexpr FaceSubstitute kSubstitutes[] = {
    {"ＭＳ 明朝", &kIpaMincho, 1.0, &kSerifBold},
    {"ＭＳ ゴシック", &kIpaGothic, 1.0, nullptr},
    {"メイリオ", &kIpaExGothic, 1.5, nullptr},
};

class CanvasSource final : public GlyphSource {
public:
    CanvasSource(int font, FontDescription description) : font_(font), description_(std::move(description)) {}

    void shape(const std::u32string& text, std::size_t start, std::size_t end,
               std::vector<ShapedGlyph>& out) override {
        // Japanese text needs no shaping beyond each character's advance;
        // a synthesised bold takes one pixel more per glyph, as the Windows
        // font system's does, which the captions' blanks are laid out for.
        const int extra = description_.synthetic_bold ? 1 : 0;
        for (std::size_t i = start; i < end && i < text.size(); ++i) {
            const std::uint32_t c = static_cast<std::uint32_t>(text[i]);
            out.push_back({c, static_cast<std::uint32_t>(i), advance(c) + extra, 0.0f, 0.0f});
        }
    }

    bool rasterise(std::uint32_t glyph, GlyphImage& out) override {
        out = GlyphImage{};
        int info[4] = {0, 0, 0, 0};
        std::uint8_t* coverage = pokomaru_font_rasterise(font_, glyph, info);
        if (!coverage) return false;
        out.width = info[0];
        out.height = info[1];
        out.left = info[2];
        out.top = info[3];
        out.coverage.assign(coverage, coverage + static_cast<std::size_t>(out.width) * out.height);
        std::free(coverage);
        return true;
    }

    const FontDescription& description() const override { return description_; }

private:
    int advance(std::uint32_t c) {
        auto found = advances_.find(c);
        if (found != advances_.end()) return found->second;
        const int a = static_cast<int>(std::lround(pokomaru_font_advance(font_, c)));
        advances_.emplace(c, a);
        return a;
    }

    int font_;
    FontDescription description_;
    std::unordered_map<std::uint32_t, int> advances_;
};

}  // namespace

HRESULT create_glyph_source(int height, UINT weight, const char* face_sjis, std::unique_ptr<GlyphSource>& out) {
    out.reset();
    if (!face_sjis || height > 4096 || height < -4096) return D3DERR_INVALIDCALL;
    const bool bold = weight >= 600;
    const std::string face_utf8 = cp932_to_utf8(face_sjis);
    const FaceSubstitute* substitute = nullptr;
    for (const FaceSubstitute& s : kSubstitutes)
        if (face_utf8 == s.windows) substitute = &s;
    // Any other name is asked of the browser as it stands, with the gothic
    // face's proportions.
    const ServedFace* face = substitute ? substitute->regular : &kIpaGothic;
    const double cell_per_em = substitute ? substitute->cell_per_em : 1.0;
    const std::string family = substitute ? std::string(face->family) : face_utf8;

    if (height == 0) height = 16;
    double em_pixels;
    int cell;
    if (height > 0) {
        cell = height;
        em_pixels = height / cell_per_em;
    } else {
        em_pixels = -height;
        cell = static_cast<int>(std::lround(em_pixels * cell_per_em));
    }

    int font = 0;
    const ServedFace* chosen = face;
    bool synthetic = false;
    if (bold && substitute && substitute->bold) {
        font = pokomaru_font_make(std::string(substitute->bold->family).c_str(), 1, em_pixels);
        if (font) chosen = substitute->bold;
    }
    if (!font) {
        font = pokomaru_font_make(family.c_str(), bold ? 1 : 0, em_pixels);
        synthetic = bold;
    }
    if (!font) return E_FAIL;

    // The named face's cell, split into ascent and descent as the served
    // face splits its own.
    const double ascent_share = chosen->win_ascent / (chosen->win_ascent + chosen->win_descent);
    FontDescription description;
    description.family = substitute || chosen != face ? std::string(chosen->family) : family;
    description.file = std::string(chosen->file);
    description.height = cell;
    description.ascent = static_cast<int>(std::lround(cell * ascent_share));
    description.bold = bold;
    description.synthetic_bold = synthetic;
    out = std::make_unique<CanvasSource>(font, std::move(description));
    return S_OK;
}
