// An RGBA picture with straight (not premultiplied) alpha, and the files
// made from it: PNG through libpng with fixed settings (so equal pictures
// give equal bytes), the Windows icon file and the C++ pixel table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace atlas {

struct Rgba { float r, g, b, a; };  // 0..255 colour, 0..1 alpha

struct Image {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;  // r, g, b, a per pixel, rows top to bottom

    Image() = default;
    Image(int width, int height) : w(width), h(height), px(size_t(width) * size_t(height) * 4, 0) {}
    std::uint8_t* at(int x, int y) { return &px[(size_t(y) * size_t(w) + size_t(x)) * 4]; }
    const std::uint8_t* at(int x, int y) const { return &px[(size_t(y) * size_t(w) + size_t(x)) * 4]; }

    // Stores a colour: rounded, clamped, alpha 0 stored as all zero, and an
    // opaque pure white nudged off white, which the game's loader would
    // turn transparent.
    void set(int x, int y, Rgba c);
    // Lays a colour over what is there ("over" with straight alpha).
    void blend(int x, int y, Rgba c);
    // Copies a rectangle of another picture to (x, y).
    void paste(const Image& src, int sx, int sy, int sw, int sh, int x, int y);
    // Draws a rectangle of another picture over this one at (x, y), its alpha times `alpha`.
    void draw(const Image& src, int sx, int sy, int sw, int sh, int x, int y, float alpha = 1.0f);
};

void write_png(const std::string& path, const Image& image);
void write_ico(const std::string& path, const std::vector<const Image*>& sizes);
void write_pixel_table(const std::string& path, const Image& icon32, const Image& icon16);

}  // namespace atlas
