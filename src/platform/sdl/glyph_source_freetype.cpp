// The Linux glyph source (sprite/glyph_source.h).
//
// Implements: the Windows face names the game uses looked up among the
// installed Japanese faces through fontconfig (ＭＳ 明朝 → IPAMincho,
// ＭＳ ゴシック → IPAGothic, メイリオ → IPAexGothic; a bold ＭＳ 明朝 from
// Noto Serif CJK JP Bold where installed, else emboldened outlines); a
// positive height as the cell height; shaping by HarfBuzz; glyphs
// rasterised by FreeType into 8-bit coverage.
//
// Not implemented: italic, underline and other faces' own names beyond
// what fontconfig finds for them; hinting as GDI does it (outlines differ a
// little from Windows').

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "platform/sjis.h"
#include "platform/sprite/glyph_source.h"

namespace {

// --- Finding faces -------------------------------------------------------

FT_Library freetype() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return library;
}

struct FaceChoice {
    std::string family;
    std::string file;
    int index = 0;
    bool bold_face = false;
};

bool supports_japanese(FcPattern* font) {
    FcLangSet* langs = nullptr;
    return FcPatternGetLangSet(font, FC_LANG, 0, &langs) == FcResultMatch && langs &&
           FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang;
}

// The best installed face for family and weight that covers Japanese: the
// family itself when installed, otherwise the closest Japanese face.
bool find_face(const std::string& family, bool bold, FaceChoice& out) {
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (FcLangSet* ja = FcLangSetCreate()) {
        FcLangSetAdd(ja, reinterpret_cast<const FcChar8*>("ja"));
        FcPatternAddLangSet(pattern, FC_LANG, ja);
        FcLangSetDestroy(ja);
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    bool found = false;
    for (int i = 0; sorted && i < sorted->nfont && !found; ++i) {
        FcPattern* font = FcFontRenderPrepare(nullptr, pattern, sorted->fonts[i]);
        if (!font) continue;
        FcChar8* file = nullptr;
        FcChar8* name = nullptr;
        FcBool scalable = FcFalse;
        int index = 0, weight = FC_WEIGHT_REGULAR;
        if (supports_japanese(font) && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
            FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable) {
            FcPatternGetInteger(font, FC_INDEX, 0, &index);
            // The face's own weight: the prepared pattern reports the one asked for.
            FcPatternGetInteger(sorted->fonts[i], FC_WEIGHT, 0, &weight);
            FcPatternGetString(font, FC_FAMILY, 0, &name);
            out.file = reinterpret_cast<const char*>(file);
            out.family = name ? reinterpret_cast<const char*>(name) : "";
            out.index = index;
            out.bold_face = weight >= FC_WEIGHT_DEMIBOLD;
            found = true;
        }
        FcPatternDestroy(font);
    }
    if (sorted) FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return found;
}

// --- The glyph source ----------------------------------------------------

class FreeTypeSource final : public GlyphSource {
public:
    FreeTypeSource(FT_Face face, hb_font_t* hb, const FaceChoice& choice, int height, int ascent, FT_Pos embolden)
        : face_(face), hb_(hb), embolden_(embolden) {
        description_.family = choice.family;
        description_.file = choice.file;
        description_.height = height;
        description_.ascent = ascent;
        description_.bold = choice.bold_face || embolden != 0;
        description_.synthetic_bold = embolden != 0;
        buffer_ = hb_buffer_create();
    }
    ~FreeTypeSource() override {
        hb_buffer_destroy(buffer_);
        hb_font_destroy(hb_);
        FT_Done_Face(face_);
    }

    void shape(const std::u32string& text, std::size_t start, std::size_t end,
               std::vector<ShapedGlyph>& out) override {
        hb_buffer_clear_contents(buffer_);
        hb_buffer_add_utf32(buffer_, reinterpret_cast<const std::uint32_t*>(text.data()),
                            static_cast<int>(text.size()), static_cast<unsigned>(start),
                            static_cast<int>(end - start));
        hb_buffer_set_direction(buffer_, HB_DIRECTION_LTR);
        hb_buffer_set_language(buffer_, hb_language_from_string("ja", -1));
        hb_buffer_guess_segment_properties(buffer_);
        hb_shape(hb_, buffer_, nullptr, 0);
        unsigned n = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer_, &n);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer_, &n);
        // A synthesised bold takes one pixel more per glyph, whatever the
        // size, as the Windows font system's does: the captions' blanks
        // are laid out for that.
        const int extra = embolden_ != 0 ? 1 : 0;
        for (unsigned i = 0; i < n; ++i) {
            const int advance = static_cast<int>(std::lround(pos[i].x_advance / 64.0)) + extra;
            out.push_back({info[i].codepoint, info[i].cluster, advance, pos[i].x_offset / 64.0f,
                           pos[i].y_offset / 64.0f});
        }
    }

    bool rasterise(std::uint32_t glyph, GlyphImage& out) override {
        out = GlyphImage{};
        constexpr FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT;
        if (FT_Load_Glyph(face_, glyph, flags) != 0 || face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
        FT_GlyphSlot slot = face_->glyph;
        if (embolden_) FT_Outline_EmboldenXY(&slot->outline, embolden_, embolden_);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int w = static_cast<int>(bitmap.width), h = static_cast<int>(bitmap.rows);
        out.width = w;
        out.height = h;
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        out.coverage.resize(static_cast<std::size_t>(w) * h);
        for (int row = 0; row < h; ++row) {
            const unsigned char* src = bitmap.pitch >= 0 ? bitmap.buffer + row * bitmap.pitch
                                                         : bitmap.buffer + (h - 1 - row) * -bitmap.pitch;
            std::copy(src, src + w, out.coverage.begin() + static_cast<std::ptrdiff_t>(row) * w);
        }
        return true;
    }

    const FontDescription& description() const override { return description_; }

private:
    FT_Face face_;
    hb_font_t* hb_;
    hb_buffer_t* buffer_ = nullptr;
    FT_Pos embolden_;  // 26.6 pixels, 0 for none
    FontDescription description_;
};

// The faces the game names, the installed faces that stand in for them, and
// the named face's cell height in ems (its Windows ascent plus descent over
// its em). The game's layout was made with the named faces: a caption's
// blanks lie where that face's glyphs put them. So a positive height is
// turned into an em size with the named face's ratio, not the stand-in's,
// and the texts keep their places.
// A bold request first tries the real bold face where there is one: a
// thickened regular face loses the thin-and-thick strokes of a Mincho.
struct FaceSubstitute {
    std::string_view windows;
    std::string_view installed;
    double cell_per_em;
    std::string_view installed_bold;  // empty: the regular face, emboldened
};

constexpr FaceSubstitute kSubstitutes[] = {
    {"ＭＳ 明朝", "IPAMincho", 1.0, "Noto Serif CJK JP"},
    {"ＭＳ ゴシック", "IPAGothic", 1.0, ""},
    {"メイリオ", "IPAexGothic", 1.5, ""},
};

// The substitute's bold family when it is installed with a bold face.
bool find_bold_face(const FaceSubstitute* s, FaceChoice& out) {
    if (!s || s->installed_bold.empty()) return false;
    FaceChoice bold;
    if (!find_face(std::string(s->installed_bold), true, bold) || !bold.bold_face || bold.family != s->installed_bold)
        return false;
    out = bold;
    return true;
}

const FaceSubstitute* substitute_for(const std::string& face_utf8) {
    for (const FaceSubstitute& s : kSubstitutes)
        if (face_utf8 == s.windows) return &s;
    return nullptr;
}

// The installed family a Windows face name (UTF-8) is looked up as:
// "ＭＳ 明朝" → "IPAMincho", "ＭＳ ゴシック" → "IPAGothic",
// "メイリオ" → "IPAexGothic"; other names stand for themselves. (A bold
// ＭＳ 明朝 is made from Noto Serif CJK JP Bold where that is installed.)
std::string installed_family_for(const std::string& face_utf8) {
    const FaceSubstitute* s = substitute_for(face_utf8);
    return s ? std::string(s->installed) : face_utf8;
}

}  // namespace

HRESULT create_glyph_source(int height, UINT weight, const char* face_sjis, std::unique_ptr<GlyphSource>& out) {
    out.reset();
    if (!face_sjis || height > 4096 || height < -4096) return D3DERR_INVALIDCALL;
    FT_Library library = freetype();
    if (!library) return E_FAIL;

    const bool bold = weight >= 600;
    const std::string face_utf8 = cp932_to_utf8(face_sjis);
    const FaceSubstitute* substitute = substitute_for(face_utf8);
    FaceChoice choice;
    if (!(bold && find_bold_face(substitute, choice)) && !find_face(installed_family_for(face_utf8), bold, choice))
        return E_FAIL;
    FT_Face face = nullptr;
    if (FT_New_Face(library, choice.file.c_str(), choice.index, &face) != 0) return E_FAIL;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return E_FAIL;
    }

    // A positive height is the cell height, ascent plus descent, as the
    // Windows font system reads it (from the OS/2 table's Windows metrics
    // where the face has them); a negative one is the em size.
    double ascender = face->ascender, descender = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        ascender = os2->usWinAscent;
        descender = os2->usWinDescent;
    }
    if (ascender + descender <= 0) ascender = face->units_per_EM, descender = 0;
    // The named face's cell, with the stand-in's own split into ascent and
    // descent.
    if (substitute) {
        const double scale = substitute->cell_per_em * face->units_per_EM / (ascender + descender);
        ascender *= scale;
        descender *= scale;
    }
    if (height == 0) height = 16;
    double em_pixels;
    int cell;
    if (height > 0) {
        cell = height;
        em_pixels = height * face->units_per_EM / (ascender + descender);
    } else {
        em_pixels = -height;
        cell = static_cast<int>(std::lround(em_pixels * (ascender + descender) / face->units_per_EM));
    }
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em_pixels * 64)), 72, 72) != 0) {
        FT_Done_Face(face);
        return E_FAIL;
    }
    const int ascent = static_cast<int>(std::lround(cell * ascender / (ascender + descender)));

    // No bold face installed: thicken the outlines by about a 24th of the em
    // (at least a pixel), as FreeType's own emboldening does.
    FT_Pos embolden = 0;
    if (bold && !choice.bold_face) embolden = std::max<FT_Pos>(64, std::lround(em_pixels * 64 / 24));

    hb_font_t* hb = hb_ft_font_create_referenced(face);
    hb_ft_font_set_load_flags(hb, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT);
    out = std::make_unique<FreeTypeSource>(face, hb, choice, cell, ascent, embolden);
    return S_OK;
}

