// Fonts: Windows face names are looked up among the installed Japanese
// faces through fontconfig, texts are decoded from code page 932, shaped by
// HarfBuzz, rasterised by FreeType into glyph pages (managed textures, so
// they survive a device reset) and laid out into the DrawText formats the
// game uses, as quads of the sprite batch they are drawn through.

#include "platform/sprite/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sjis.h"
#include "platform/sprite/sprite_objects.h"

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

// --- Line breaking -------------------------------------------------------

bool is_space(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

bool is_cjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) ||   // radicals, CJK punctuation, kana, ideographs
           (c >= 0xF900 && c <= 0xFAFF) ||   // compatibility ideographs
           (c >= 0xFF00 && c <= 0xFFEF) ||   // full-width and half-width forms
           (c >= 0x20000 && c <= 0x3FFFF);  // supplementary ideographs
}

// Characters that may not begin a line: closing punctuation, prolonged
// sound mark, iteration marks, small kana.
bool no_line_start(char32_t c) {
    static constexpr std::u32string_view set =
        U"、。，．,.・：；:;！？!?)]}）］｝〕〉》」』】〙〗ー～〜…‥ゝゞヽヾ々"
        U"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ’”ﾞﾟｰ｡､｣";
    return set.find(c) != std::u32string_view::npos;
}

// Characters that may not end a line: opening brackets.
bool no_line_end(char32_t c) {
    static constexpr std::u32string_view set = U"([{（［｛〔〈《「『【〘〖‘“｢";
    return set.find(c) != std::u32string_view::npos;
}

// May a line break between a and b?
bool break_between(char32_t a, char32_t b) {
    if (is_space(b)) return false;  // spaces stay at the end of the line
    if (is_space(a)) return true;
    if (no_line_start(b) || no_line_end(a)) return false;
    return is_cjk(a) || is_cjk(b);
}

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// --- The font ------------------------------------------------------------

class Font final : public ID3DXFont {
public:
    Font(RenderBackend* backend, FT_Face face, hb_font_t* hb, const FaceChoice& choice, int height, int ascent,
         FT_Pos embolden)
        : backend_(backend), face_(face), hb_(hb), height_(height), ascent_(ascent), embolden_(embolden) {
        description_.family = choice.family;
        description_.file = choice.file;
        description_.height = height;
        description_.ascent = ascent;
        description_.bold = choice.bold_face || embolden != 0;
        description_.synthetic_bold = embolden != 0;
        buffer_ = hb_buffer_create();
        // Glyph pages grow with the font: room for a few hundred glyphs.
        const int wanted = static_cast<int>(round_up_to_power_of_two(static_cast<std::uint32_t>(height) * 16));
        page_side_ = std::clamp(wanted, 256, std::min(1024, std::max(256, backend->max_texture_size())));
    }

    int DrawTextA(ID3DXSprite* sprite, const char* text_sjis, int count, RECT* rect, DWORD format,
                  D3DCOLOR colour) override;
    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

    const FontDescription& description() const { return description_; }

private:
    struct ShapedGlyph {
        std::uint32_t glyph;
        std::uint32_t cluster;  // index into the decoded text
        int advance;            // whole pixels
        float x_offset, y_offset;
    };
    struct Shaped {
        std::u32string text;
        std::vector<ShapedGlyph> glyphs;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> paragraphs;  // glyph ranges between line feeds
    };
    struct Line {
        std::uint32_t first, end;  // glyph range
        int width;
    };
    struct CachedGlyph {
        int page = -1;  // -1: nothing to draw (a space)
        int x = 0, y = 0, width = 0, height = 0;
        int left = 0, top = 0;
    };
    struct Page {
        BackendTexture texture = 0;
        int shelf_x = 0, shelf_y = 0, shelf_height = 0;
    };

    ~Font() override {
        for (Page& p : pages_) backend_->destroy_texture(p.texture);
        if (own_batch_) own_batch_->Release();
        hb_buffer_destroy(buffer_);
        hb_font_destroy(hb_);
        FT_Done_Face(face_);
    }

    const Shaped& shape(std::string_view bytes);
    void break_lines(const Shaped& shaped, bool wrap, int max_width);
    const CachedGlyph& glyph(std::uint32_t index);
    bool place(int width, int height, int& page, int& x, int& y);

    RenderBackend* backend_;
    FT_Face face_;
    hb_font_t* hb_;
    hb_buffer_t* buffer_ = nullptr;
    int height_, ascent_;
    FT_Pos embolden_;  // 26.6 pixels, 0 for none
    int page_side_;
    UINT references_ = 1;
    FontDescription description_;
    std::vector<Page> pages_;
    std::unordered_map<std::uint32_t, CachedGlyph> glyphs_;
    std::unordered_map<std::string, Shaped, StringHash, std::equal_to<>> shaped_;
    std::vector<Line> lines_;                // reused by every call
    std::vector<std::uint32_t> glyph_texels_;
    SpriteBatch* own_batch_ = nullptr;       // for DrawTextA without a sprite
};

const Font::Shaped& Font::shape(std::string_view bytes) {
    if (auto found = shaped_.find(bytes); found != shaped_.end()) return found->second;
    // The game draws a bounded set of texts; a runaway caller only costs a
    // fresh start of the cache.
    if (shaped_.size() >= 4096) shaped_.clear();

    Shaped shaped;
    shaped.text = cp932_to_utf32(bytes.data(), static_cast<int>(bytes.size()));
    const std::u32string& text = shaped.text;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find(U'\n', start);
        if (stop == std::u32string::npos) stop = text.size();
        std::size_t content_end = stop;
        if (content_end > start && text[content_end - 1] == U'\r') --content_end;
        const auto first_glyph = static_cast<std::uint32_t>(shaped.glyphs.size());
        if (content_end > start) {
            hb_buffer_clear_contents(buffer_);
            hb_buffer_add_utf32(buffer_, reinterpret_cast<const std::uint32_t*>(text.data()),
                                static_cast<int>(text.size()), static_cast<unsigned>(start),
                                static_cast<int>(content_end - start));
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
                shaped.glyphs.push_back({info[i].codepoint, info[i].cluster, advance, pos[i].x_offset / 64.0f,
                                         pos[i].y_offset / 64.0f});
            }
        }
        shaped.paragraphs.emplace_back(first_glyph, static_cast<std::uint32_t>(shaped.glyphs.size()));
        start = stop + 1;
    }
    return shaped_.emplace(std::string(bytes), std::move(shaped)).first->second;
}

void Font::break_lines(const Shaped& shaped, bool wrap, int max_width) {
    lines_.clear();
    const std::u32string& text = shaped.text;
    auto char_of = [&](std::uint32_t g) { return text[shaped.glyphs[g].cluster]; };
    for (auto [first, end] : shaped.paragraphs) {
        std::uint32_t line_start = first;
        int width = 0;
        std::uint32_t last_break = first;  // first: no opportunity in this line yet
        std::uint32_t g = first;
        while (g < end) {
            const ShapedGlyph& sg = shaped.glyphs[g];
            const bool new_cluster = g > line_start && shaped.glyphs[g - 1].cluster != sg.cluster;
            if (new_cluster && break_between(char_of(g - 1), char_of(g))) last_break = g;
            if (wrap && g > line_start && !is_space(char_of(g)) && width + sg.advance > max_width &&
                last_break > line_start) {
                // End the line at the last opportunity, without its trailing spaces.
                std::uint32_t line_end = last_break;
                int line_width = 0;
                while (line_end > line_start && is_space(char_of(line_end - 1))) --line_end;
                for (std::uint32_t k = line_start; k < line_end; ++k) line_width += shaped.glyphs[k].advance;
                lines_.push_back({line_start, line_end, line_width});
                line_start = last_break;
                last_break = line_start;
                g = line_start;
                width = 0;
                continue;
            }
            width += sg.advance;
            ++g;
        }
        std::uint32_t line_end = end;
        if (wrap)
            while (line_end > line_start && is_space(char_of(line_end - 1))) width -= shaped.glyphs[--line_end].advance;
        lines_.push_back({line_start, line_end, width});
    }
}

bool Font::place(int width, int height, int& page, int& x, int& y) {
    constexpr int gap = 1;  // keeps linear filtering from bleeding between glyphs
    if (width + gap > page_side_ || height + gap > page_side_) return false;
    if (!pages_.empty()) {
        Page& p = pages_.back();
        if (p.shelf_x + width + gap > page_side_) {
            p.shelf_y += p.shelf_height;
            p.shelf_x = 0;
            p.shelf_height = 0;
        }
        if (p.shelf_y + height + gap <= page_side_) {
            page = static_cast<int>(pages_.size()) - 1;
            x = p.shelf_x + gap;
            y = p.shelf_y + gap;
            p.shelf_x += width + gap;
            p.shelf_height = std::max(p.shelf_height, height + gap);
            return true;
        }
    }
    const BackendTexture texture = backend_->create_texture(page_side_, page_side_);
    if (!texture) return false;
    // Transparent white, not black, between glyphs: filtering at a glyph's
    // edge then blends only coverage, never a dark fringe.
    glyph_texels_.assign(static_cast<std::size_t>(page_side_) * page_side_, 0x00FFFFFFu);
    backend_->update_texture(texture, 0, 0, page_side_, page_side_, glyph_texels_.data(), page_side_);
    pages_.push_back({texture, 0, 0, 0});
    return place(width, height, page, x, y);
}

const Font::CachedGlyph& Font::glyph(std::uint32_t index) {
    if (auto found = glyphs_.find(index); found != glyphs_.end()) return found->second;
    CachedGlyph cached;
    FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT;
    if (FT_Load_Glyph(face_, index, flags) == 0 && face_->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_GlyphSlot slot = face_->glyph;
        if (embolden_) FT_Outline_EmboldenXY(&slot->outline, embolden_, embolden_);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
            const FT_Bitmap& bitmap = slot->bitmap;
            const int w = static_cast<int>(bitmap.width), h = static_cast<int>(bitmap.rows);
            int page = -1, x = 0, y = 0;
            if (w > 0 && h > 0 && place(w, h, page, x, y)) {
                glyph_texels_.resize(static_cast<std::size_t>(w) * h);
                for (int row = 0; row < h; ++row) {
                    const unsigned char* src = bitmap.pitch >= 0 ? bitmap.buffer + row * bitmap.pitch
                                                                 : bitmap.buffer + (h - 1 - row) * -bitmap.pitch;
                    for (int col = 0; col < w; ++col)
                        glyph_texels_[static_cast<std::size_t>(row) * w + col] =
                            static_cast<std::uint32_t>(src[col]) << 24 | 0x00FFFFFFu;
                }
                if (backend_->update_texture(pages_[page].texture, x, y, w, h, glyph_texels_.data(), w)) {
                    cached.page = page;
                    cached.x = x;
                    cached.y = y;
                    cached.width = w;
                    cached.height = h;
                    cached.left = slot->bitmap_left;
                    cached.top = slot->bitmap_top;
                }
            }
        }
    }
    return glyphs_.emplace(index, cached).first->second;
}

int Font::DrawTextA(ID3DXSprite* sprite, const char* text_sjis, int count, RECT* rect, DWORD format,
                    D3DCOLOR colour) {
    if (!text_sjis || !rect) return 0;
    const std::size_t length = count < 0 ? std::strlen(text_sjis) : static_cast<std::size_t>(count);
    if (length == 0) {
        if (format & DT_CALCRECT) rect->right = rect->left, rect->bottom = rect->top;
        return 0;
    }
    const Shaped& shaped = shape(std::string_view(text_sjis, length));
    const bool wrap = (format & DT_WORDBREAK) != 0;
    break_lines(shaped, wrap, rect->right - rect->left);
    const int text_height = static_cast<int>(lines_.size()) * height_;

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines_) widest = std::max(widest, line.width);
        if (format & DT_RIGHT)
            rect->left = rect->right - widest;
        else
            rect->right = rect->left + widest;
        rect->bottom = rect->top + text_height;
        return text_height;
    }

    SpriteBatch* batch = nullptr;
    bool own_pair = false;
    if (sprite) {
        batch = dynamic_cast<SpriteBatch*>(sprite);
        if (!batch || !batch->in_pair()) {
            d3dx_debug_message("ID3DXFont::DrawTextA called with a sprite outside a Begin/End pair");
            return 0;
        }
    } else {
        if (!own_batch_) own_batch_ = new SpriteBatch(backend_);
        batch = own_batch_;
        if (FAILED(batch->Begin(D3DXSPRITE_ALPHABLEND))) return 0;
        own_pair = true;
    }

    const bool clip = (format & DT_NOCLIP) == 0;
    const float clip_left = static_cast<float>(rect->left), clip_top = static_cast<float>(rect->top);
    const float clip_right = static_cast<float>(rect->right), clip_bottom = static_cast<float>(rect->bottom);
    const float texel = 1.0f / static_cast<float>(page_side_);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        const int line_top = rect->top + static_cast<int>(i) * height_;
        if (clip && (line_top >= rect->bottom || line_top + height_ <= rect->top)) continue;
        const int baseline = line_top + ascent_;
        int pen = (format & DT_RIGHT) ? rect->right - line.width : rect->left;
        for (std::uint32_t g = line.first; g < line.end; ++g) {
            const ShapedGlyph& sg = shaped.glyphs[g];
            const CachedGlyph& cg = glyph(sg.glyph);
            if (cg.page >= 0) {
                float x0 = static_cast<float>(pen + cg.left) + std::round(sg.x_offset);
                float y0 = static_cast<float>(baseline - cg.top) - std::round(sg.y_offset);
                float x1 = x0 + cg.width, y1 = y0 + cg.height;
                float u0 = cg.x * texel, v0 = cg.y * texel;
                float u1 = (cg.x + cg.width) * texel, v1 = (cg.y + cg.height) * texel;
                bool visible = true;
                if (clip) {
                    // Cut the quad at the rectangle, moving its texture
                    // coordinates with it, so a partly covered glyph shows
                    // exactly its uncovered part.
                    if (x0 < clip_left) u0 += (clip_left - x0) * texel, x0 = clip_left;
                    if (y0 < clip_top) v0 += (clip_top - y0) * texel, y0 = clip_top;
                    if (x1 > clip_right) u1 -= (x1 - clip_right) * texel, x1 = clip_right;
                    if (y1 > clip_bottom) v1 -= (y1 - clip_bottom) * texel, y1 = clip_bottom;
                    visible = x1 > x0 && y1 > y0;
                }
                if (visible) batch->append_quad(pages_[cg.page].texture, x0, y0, x1, y1, u0, v0, u1, v1, colour);
            }
            pen += sg.advance;
        }
    }
    if (own_pair) batch->End();
    return text_height;
}

}  // namespace

namespace {

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
    std::string_view installed_bold;  // empty: emboldened regular face
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

}  // namespace

std::string installed_family_for(const std::string& face_utf8) {
    const FaceSubstitute* s = substitute_for(face_utf8);
    return s ? std::string(s->installed) : face_utf8;
}

bool describe_font(ID3DXFont* font, FontDescription& out) {
    auto* ours = dynamic_cast<Font*>(font);
    if (!ours) return false;
    out = ours->description();
    return true;
}

HRESULT create_font(RenderBackend* backend, int height, UINT weight, const char* face_sjis, ID3DXFont** font) {
    if (!font) return D3DERR_INVALIDCALL;
    *font = nullptr;
    if (!backend || !face_sjis || height > 4096 || height < -4096) return D3DERR_INVALIDCALL;
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
    *font = new Font(backend, face, hb, choice, cell, ascent, embolden);
    return S_OK;
}

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, int height, UINT width, UINT weight, UINT mip_levels,
                        BOOL italic, DWORD charset, DWORD output_precision, DWORD quality, DWORD pitch_and_family,
                        const char* face_sjis, ID3DXFont** font) {
    if (font) *font = nullptr;
    if (!device || !device->backend()) return D3DERR_INVALIDCALL;
    return create_font(device->backend(), height, weight, face_sjis, font);
}
