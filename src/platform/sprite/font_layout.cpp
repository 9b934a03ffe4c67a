// The shared half of the fonts: texts decoded from code page 932 are shaped
// by the platform's glyph source, broken into lines, and laid out in the
// DrawText formats the game uses as quads of the sprite batch, with glyphs
// cached in glyph pages (managed textures, so they survive a device reset).

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sjis.h"
#include "platform/sprite/glyph_source.h"
#include "platform/sprite/render_device.h"
#include "platform/sprite/sprite_objects.h"

namespace {

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
    Font(RenderBackend* backend, std::unique_ptr<GlyphSource> source)
        : backend_(backend), source_(std::move(source)) {
        const FontDescription& d = source_->description();
        height_ = d.height;
        ascent_ = d.ascent;
    }

    int DrawTextA(ID3DXSprite* sprite, const char* text_sjis, int count, RECT* rect, DWORD format,
                  D3DCOLOR colour) override;
    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

    const FontDescription& description() const { return source_->description(); }

private:
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
        int side = 0;
        int shelf_x = 0, shelf_y = 0, shelf_height = 0;
    };

    // Glyph pages are sized to the font: the first holds about four by four
    // of its glyphs (a big title font draws only a few), later ones about
    // eight by eight; never under 256 or over 1024 texels a side.
    int page_side(std::size_t page) const {
        const int across = page == 0 ? 4 : 8;
        const int wanted = ((height_ + 1) * across + 63) / 64 * 64;
        return std::clamp(wanted, 256, std::min(1024, std::max(256, backend_->max_texture_size())));
    }

    ~Font() override {
        for (Page& p : pages_) backend_->destroy_texture(p.texture);
        if (own_batch_) own_batch_->Release();
    }

    const Shaped& shape(std::string_view bytes);
    void break_lines(const Shaped& shaped, bool wrap, int max_width);
    const CachedGlyph& glyph(std::uint32_t index);
    bool place(int width, int height, int& page, int& x, int& y);

    RenderBackend* backend_;
    std::unique_ptr<GlyphSource> source_;
    int height_ = 0, ascent_ = 0;
    UINT references_ = 1;
    std::vector<Page> pages_;
    std::unordered_map<std::uint32_t, CachedGlyph> glyphs_;
    std::unordered_map<std::string, Shaped, StringHash, std::equal_to<>> shaped_;
    std::vector<Line> lines_;                // reused by every call
    std::vector<std::uint32_t> glyph_texels_;  // one glyph, or a band of a new page's rows
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
        if (content_end > start) source_->shape(text, start, content_end, shaped.glyphs);
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
    if (!pages_.empty()) {
        Page& p = pages_.back();
        if (p.shelf_x + width + gap > p.side) {
            p.shelf_y += p.shelf_height;
            p.shelf_x = 0;
            p.shelf_height = 0;
        }
        if (p.shelf_x + width + gap <= p.side && p.shelf_y + height + gap <= p.side) {
            page = static_cast<int>(pages_.size()) - 1;
            x = p.shelf_x + gap;
            y = p.shelf_y + gap;
            p.shelf_x += width + gap;
            p.shelf_height = std::max(p.shelf_height, height + gap);
            return true;
        }
    }
    int side = page_side(pages_.size());
    while (side < 1024 && side < backend_->max_texture_size() && (width + gap > side || height + gap > side))
        side = std::min(1024, side * 2);
    if (width + gap > side || height + gap > side) return false;
    const BackendTexture texture = backend_->create_texture(side, side);
    if (!texture) return false;
    // Transparent white, not black, between glyphs: filtering at a glyph's
    // edge then blends only coverage, never a dark fringe. Filled a band of
    // rows at a time, so the scratch stays small.
    const int band = std::min(side, 16);
    glyph_texels_.assign(static_cast<std::size_t>(side) * band, 0x00FFFFFFu);
    for (int row = 0; row < side; row += band)
        backend_->update_texture(texture, 0, row, side, std::min(band, side - row), glyph_texels_.data(), side);
    pages_.push_back({texture, side, 0, 0, 0});
    return place(width, height, page, x, y);
}

const Font::CachedGlyph& Font::glyph(std::uint32_t index) {
    if (auto found = glyphs_.find(index); found != glyphs_.end()) return found->second;
    CachedGlyph cached;
    GlyphImage image;
    if (source_->rasterise(index, image)) {
        const int w = image.width, h = image.height;
        int page = -1, x = 0, y = 0;
        if (w > 0 && h > 0 && image.coverage.size() >= static_cast<std::size_t>(w) * h && place(w, h, page, x, y)) {
            // White texels carrying the coverage as alpha: the vertex colour
            // tints them.
            glyph_texels_.resize(static_cast<std::size_t>(w) * h);
            for (std::size_t i = 0; i < glyph_texels_.size(); ++i)
                glyph_texels_[i] = static_cast<std::uint32_t>(image.coverage[i]) << 24 | 0x00FFFFFFu;
            if (backend_->update_texture(pages_[page].texture, x, y, w, h, glyph_texels_.data(), w)) {
                cached.page = page;
                cached.x = x;
                cached.y = y;
                cached.width = w;
                cached.height = h;
                cached.left = image.left;
                cached.top = image.top;
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
                const float texel = 1.0f / static_cast<float>(pages_[cg.page].side);
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

bool describe_font(ID3DXFont* font, FontDescription& out) {
    auto* ours = dynamic_cast<Font*>(font);
    if (!ours) return false;
    out = ours->description();
    return true;
}

HRESULT create_font_over(RenderBackend* backend, std::unique_ptr<GlyphSource> source, ID3DXFont** font) {
    if (!font) return D3DERR_INVALIDCALL;
    *font = nullptr;
    if (!backend || !source || source->description().height <= 0) return D3DERR_INVALIDCALL;
    *font = new Font(backend, std::move(source));
    return S_OK;
}

HRESULT create_font(RenderBackend* backend, int height, UINT weight, const char* face_sjis, ID3DXFont** font) {
    if (!font) return D3DERR_INVALIDCALL;
    *font = nullptr;
    if (!backend || !face_sjis || height > 4096 || height < -4096) return D3DERR_INVALIDCALL;
    std::unique_ptr<GlyphSource> source;
    const HRESULT made = create_glyph_source(height, weight, face_sjis, source);
    if (FAILED(made)) return made;
    return create_font_over(backend, std::move(source), font);
}

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, int height, UINT width, UINT weight, UINT mip_levels,
                        BOOL italic, DWORD charset, DWORD output_precision, DWORD quality, DWORD pitch_and_family,
                        const char* face_sjis, ID3DXFont** font) {
    if (font) *font = nullptr;
    RenderBackend* backend = render_backend_of(device);
    if (!backend) return D3DERR_INVALIDCALL;
    return create_font(backend, height, weight, face_sjis, font);
}
