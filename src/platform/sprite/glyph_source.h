// Where a font's glyphs come from: shaping a line of text into positioned
// glyphs and rasterising one glyph into 8-bit coverage. The layout (line
// breaking, glyph pages, the DrawTextA formats) is shared; each platform
// supplies a glyph source: FreeType, HarfBuzz and fontconfig on Linux, GDI
// and Uniscribe on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sprite/d3dx.h"
#include "platform/sprite/font.h"
#include "platform/render_backend.h"

struct ShapedGlyph {
    std::uint32_t glyph;    // the source's own glyph index
    std::uint32_t cluster;  // index of its first character in the shaped text
    int advance;            // whole pixels to the next glyph's origin
    float x_offset, y_offset;  // from the pen position; y upwards
};

// One glyph's coverage, rows top to bottom. `left` is the first column's
// distance right of the pen, `top` the first row's height above the
// baseline.
struct GlyphImage {
    int width = 0, height = 0;
    int left = 0, top = 0;
    std::vector<std::uint8_t> coverage;
};

class GlyphSource {
public:
    GlyphSource() = default;
    virtual ~GlyphSource() = default;
    // A source owns its face and shaping state: it is never copied.
    GlyphSource(const GlyphSource&) = delete;
    GlyphSource& operator=(const GlyphSource&) = delete;

    // Shapes text[start, end), one line without line feeds, left to right,
    // and appends its glyphs in visual order.
    virtual void shape(const std::u32string& text, std::size_t start, std::size_t end,
                       std::vector<ShapedGlyph>& out) = 0;
    // Rasterises a glyph; false, or an empty image, for nothing to draw.
    virtual bool rasterise(std::uint32_t glyph, GlyphImage& out) = 0;

    // What was chosen: family, cell height (one line) and ascent.
    virtual const FontDescription& description() const = 0;
};

// The platform's glyph source for a face named in code page 932, a cell
// height in pixels (positive, as the Windows font system reads it; negative
// is the em size) and a weight (600 and above is bold).
HRESULT create_glyph_source(int height, UINT weight, const char* face_sjis, std::unique_ptr<GlyphSource>& out);

// A font laid out over any glyph source; D3DXCreateFontA and create_font
// use the platform's.
HRESULT create_font_over(RenderBackend* backend, std::unique_ptr<GlyphSource> source, ID3DXFont** font);
