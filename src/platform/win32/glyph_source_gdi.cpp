// The Windows glyph source: a GDI font made from the face name decoded as
// code page 932 (so it is right on a Windows of any language), text shaped
// by Uniscribe, glyphs rasterised by GDI as 8-bit grey outlines. The line
// breaking, glyph pages and DrawTextA formats are the shared layout's.

#include <windows.h>
#include <usp10.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/sprite/glyph_source.h"

namespace {

std::wstring decode_cp932(const char* text) {
    const int length = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

std::string to_utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(0, length)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

// The family of the face GDI really chose for the font selected into dc.
// The face name a font is asked by (GetTextFaceW) stays the game's even
// when the system substitutes another face for it; the outline metrics
// name the face itself.
std::wstring chosen_family(HDC dc) {
    std::wstring family;
    if (const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr); size >= sizeof(OUTLINETEXTMETRICW)) {
        std::vector<BYTE> buffer(size);
        auto* outline = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(dc, size, outline)) {
            // The name's offset from the record's start, not a pointer.
            const auto offset = reinterpret_cast<std::uintptr_t>(outline->otmpFamilyName);
            if (offset >= sizeof(OUTLINETEXTMETRICW) && offset < size)
                family.assign(reinterpret_cast<const wchar_t*>(buffer.data() + offset),
                              wcsnlen(reinterpret_cast<const wchar_t*>(buffer.data() + offset),
                                      (size - offset) / sizeof(wchar_t)));
        }
    }
    if (family.empty()) {
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        family = face;
    }
    return family;
}

// The faces the game names, by their Japanese and English names, and each
// one's cell height in ems. The game's captions leave blanks where these
// faces' glyphs fall. Where another face stands in for one of them (Wine
// maps them to the IPA faces), the stand-in is sized by the named face's em
// rather than by its own cell, so texts keep their places, as on Linux.
struct NamedFace {
    const wchar_t* japanese;
    const wchar_t* english;
    double cell_per_em;
};
constexpr NamedFace kNamedFaces[] = {
    {L"ＭＳ 明朝", L"MS Mincho", 1.0},
    {L"ＭＳ ゴシック", L"MS Gothic", 1.0},
    {L"メイリオ", L"Meiryo", 1.5},
};

const NamedFace* named_face(const std::wstring& face) {
    for (const NamedFace& f : kNamedFaces)
        if (face == f.japanese || face == f.english) return &f;
    return nullptr;
}

HFONT make_font(int height, UINT weight, const std::wstring& face) {
    return CreateFontW(height, 0, 0, 0, static_cast<int>(weight), FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       face.c_str());
}

class GdiSource final : public GlyphSource {
public:
    GdiSource(HDC dc, HFONT font, HGDIOBJ previous, const std::wstring& family, int cell, int ascent)
        : dc_(dc), font_(font), previous_(previous) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc_, &metrics);
        description_.family = to_utf8(family);
        description_.height = cell;
        description_.ascent = ascent;
        description_.bold = metrics.tmWeight >= FW_SEMIBOLD;
    }
    ~GdiSource() override {
        ScriptFreeCache(&cache_);
        SelectObject(dc_, previous_);
        DeleteObject(font_);
        DeleteDC(dc_);
    }

    void shape(const std::u32string& text, std::size_t start, std::size_t end,
               std::vector<ShapedGlyph>& out) override {
        // UTF-16 for Uniscribe, remembering where each unit came from.
        units_.clear();
        unit_source_.clear();
        for (std::size_t i = start; i < end; ++i) {
            char32_t c = text[i];
            if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
            if (c >= 0x10000) {
                units_.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
                units_.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
                unit_source_.insert(unit_source_.end(), 2, static_cast<std::uint32_t>(i));
            } else {
                units_.push_back(static_cast<wchar_t>(c));
                unit_source_.push_back(static_cast<std::uint32_t>(i));
            }
        }
        const int length = static_cast<int>(units_.size());
        if (length == 0) return;

        items_.resize(static_cast<std::size_t>(length) + 1);
        int item_count = 0;
        if (FAILED(ScriptItemize(units_.data(), length, static_cast<int>(items_.size()), nullptr, nullptr,
                                 items_.data(), &item_count)))
            return;
        for (int item = 0; item < item_count; ++item) {
            const int first = items_[item].iCharPos;
            const int count = items_[item + 1].iCharPos - first;
            shape_run(first, count, items_[item].a, out);
        }
    }

    bool rasterise(std::uint32_t glyph, GlyphImage& out) override {
        out = GlyphImage{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        GLYPHMETRICS metrics{};
        constexpr UINT format = GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX;
        const DWORD size = GetGlyphOutlineW(dc_, glyph, format, &metrics, 0, nullptr, &identity);
        if (size == GDI_ERROR) return false;
        if (size == 0) return true;  // a blank: nothing to draw
        bits_.resize(size);
        if (GetGlyphOutlineW(dc_, glyph, format, &metrics, size, bits_.data(), &identity) == GDI_ERROR) return false;
        const int w = static_cast<int>(metrics.gmBlackBoxX), h = static_cast<int>(metrics.gmBlackBoxY);
        const std::size_t pitch = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};  // rows are DWORD-aligned
        if (w <= 0 || h <= 0 || pitch * h > bits_.size()) return false;
        out.width = w;
        out.height = h;
        out.left = metrics.gmptGlyphOrigin.x;
        out.top = metrics.gmptGlyphOrigin.y;
        out.coverage.resize(static_cast<std::size_t>(w) * h);
        // GDI's grey levels run from 0 to 64.
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col) {
                const unsigned level = std::min<unsigned>(bits_[row * pitch + col], 64);
                out.coverage[static_cast<std::size_t>(row) * w + col] = static_cast<std::uint8_t>((level * 255 + 32) / 64);
            }
        return true;
    }

    const FontDescription& description() const override { return description_; }

private:
    void shape_run(int first, int count, SCRIPT_ANALYSIS analysis, std::vector<ShapedGlyph>& out) {
        int max_glyphs = count * 3 / 2 + 16;
        int glyph_count = 0;
        clusters_.resize(static_cast<std::size_t>(count));
        HRESULT hr = E_OUTOFMEMORY;
        for (int attempt = 0; attempt < 4; ++attempt) {
            glyphs_.resize(static_cast<std::size_t>(max_glyphs));
            visual_.resize(static_cast<std::size_t>(max_glyphs));
            hr = ScriptShape(dc_, &cache_, units_.data() + first, count, max_glyphs, &analysis, glyphs_.data(),
                             clusters_.data(), visual_.data(), &glyph_count);
            if (hr == E_OUTOFMEMORY) {
                max_glyphs *= 2;
            } else if (hr == USP_E_SCRIPT_NOT_IN_FONT) {
                analysis.eScript = SCRIPT_UNDEFINED;  // the font's own glyphs, unshaped
            } else {
                break;
            }
        }
        if (FAILED(hr) || glyph_count <= 0) return;
        advances_.resize(static_cast<std::size_t>(glyph_count));
        offsets_.resize(static_cast<std::size_t>(glyph_count));
        ABC abc{};
        if (FAILED(ScriptPlace(dc_, &cache_, glyphs_.data(), glyph_count, visual_.data(), &analysis, advances_.data(),
                               offsets_.data(), &abc)))
            return;

        // Each glyph's cluster: the first character whose cluster starts at
        // or before it.
        glyph_cluster_.assign(static_cast<std::size_t>(glyph_count), -1);
        for (int i = count - 1; i >= 0; --i)
            if (clusters_[i] < glyph_count) glyph_cluster_[clusters_[i]] = i;
        int last = 0;
        for (int g = 0; g < glyph_count; ++g) {
            if (glyph_cluster_[g] < 0) glyph_cluster_[g] = last;
            last = glyph_cluster_[g];
        }
        for (int g = 0; g < glyph_count; ++g)
            out.push_back({glyphs_[g], unit_source_[static_cast<std::size_t>(first + glyph_cluster_[g])], advances_[g],
                           static_cast<float>(offsets_[g].du), static_cast<float>(offsets_[g].dv)});
    }

    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
    SCRIPT_CACHE cache_ = nullptr;
    FontDescription description_;
    // Reused by every call.
    std::wstring units_;
    std::vector<std::uint32_t> unit_source_;
    std::vector<SCRIPT_ITEM> items_;
    std::vector<WORD> glyphs_, clusters_;
    std::vector<SCRIPT_VISATTR> visual_;
    std::vector<int> advances_, glyph_cluster_;
    std::vector<GOFFSET> offsets_;
    std::vector<BYTE> bits_;
};

}  // namespace

HRESULT create_glyph_source(int height, UINT weight, const char* face_sjis, std::unique_ptr<GlyphSource>& out) {
    out.reset();
    if (!face_sjis || height > 4096 || height < -4096) return D3DERR_INVALIDCALL;
    const std::wstring face = decode_cp932(face_sjis);
    if (face.size() >= LF_FACESIZE) return D3DERR_INVALIDCALL;
    if (height == 0) height = 16;
    // A positive height is the cell height, as the game means it.
    HFONT font = make_font(height, weight, face);
    if (!font) return E_FAIL;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(font);
        return E_FAIL;
    }
    HGDIOBJ previous = SelectObject(dc, font);
    std::wstring family = chosen_family(dc);
    const NamedFace* named = named_face(face);
    const bool stand_in = height > 0 && named && family != named->japanese && family != named->english;
    if (stand_in) {
        if (HFONT em_sized = make_font(-static_cast<int>(std::lround(height / named->cell_per_em)), weight, face)) {
            SelectObject(dc, em_sized);
            DeleteObject(font);
            font = em_sized;
            family = chosen_family(dc);
        }
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The cell is the game's height; a stand-in keeps its own split of the
    // cell into ascent and descent. GDI may round a face's ascent and
    // descent to a pixel less than the height asked for.
    const int cell = height > 0 ? height : metrics.tmHeight;
    int ascent = metrics.tmAscent;
    if (stand_in && metrics.tmHeight > 0)
        ascent = static_cast<int>(std::lround(static_cast<double>(cell) * metrics.tmAscent / metrics.tmHeight));
    out = std::make_unique<GdiSource>(dc, font, previous, family, cell, ascent);
    return S_OK;
}
