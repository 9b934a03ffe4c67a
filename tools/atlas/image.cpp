#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace atlas {

namespace {
std::uint8_t byte_of(float v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }
}

void Image::set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    std::uint8_t* p = at(x, y);
    std::uint8_t a = byte_of(c.a * 255.0f);
    if (a == 0) {
        p[0] = p[1] = p[2] = p[3] = 0;
        return;
    }
    p[0] = byte_of(c.r);
    p[1] = byte_of(c.g);
    p[2] = byte_of(c.b);
    p[3] = a;
    if (p[0] == 255 && p[1] == 255 && p[2] == 255) p[2] = 254;
}

void Image::blend(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= w || y >= h || c.a <= 0) return;
    std::uint8_t* p = at(x, y);
    float da = p[3] / 255.0f;
    float oa = c.a + da * (1 - c.a);
    if (oa <= 0) return;
    auto mix = [&](float s, std::uint8_t d) { return (s * c.a + d * da * (1 - c.a)) / oa; };
    set(x, y, {mix(c.r, p[0]), mix(c.g, p[1]), mix(c.b, p[2]), oa});
}

void Image::paste(const Image& src, int sx, int sy, int sw, int sh, int x, int y) {
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) {
            if (x + i < 0 || y + j < 0 || x + i >= w || y + j >= h) continue;
            const std::uint8_t* s = src.at(sx + i, sy + j);
            std::copy(s, s + 4, at(x + i, y + j));
        }
}

void Image::draw(const Image& src, int sx, int sy, int sw, int sh, int x, int y, float alpha) {
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) {
            const std::uint8_t* s = src.at(sx + i, sy + j);
            blend(x + i, y + j, {float(s[0]), float(s[1]), float(s[2]), s[3] / 255.0f * alpha});
        }
}

void write_png(const std::string& path, const Image& image) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) throw std::runtime_error("cannot create " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng: out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng: cannot write " + path);
    }
    png_init_io(png, file.get());
    // Fixed settings and no time stamp: the same picture always gives the same file.
    png_set_compression_level(png, 9);
    png_set_compression_strategy(png, 0);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_IHDR(png, info, png_uint_32(image.w), png_uint_32(image.h), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (int y = 0; y < image.h; ++y)
        png_write_row(png, const_cast<png_bytep>(image.at(0, y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

namespace {
void put16(std::string& s, unsigned v) { s += char(v & 0xFF); s += char((v >> 8) & 0xFF); }
void put32(std::string& s, unsigned v) { put16(s, v & 0xFFFF); put16(s, v >> 16); }

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}
}  // namespace

void write_ico(const std::string& path, const std::vector<const Image*>& sizes) {
    // Each image a 32-bit DIB: BITMAPINFOHEADER with doubled height, BGRA
    // rows bottom-up, then the 1-bit AND mask (rows padded to 32 bits).
    std::vector<std::string> dibs;
    for (const Image* im : sizes) {
        std::string d;
        put32(d, 40); put32(d, unsigned(im->w)); put32(d, unsigned(im->h * 2));
        put16(d, 1); put16(d, 32); put32(d, 0);
        const unsigned mask_stride = unsigned((im->w + 31) / 32 * 4);
        put32(d, unsigned(im->w * im->h * 4) + mask_stride * unsigned(im->h));
        put32(d, 0); put32(d, 0); put32(d, 0); put32(d, 0);
        for (int y = im->h - 1; y >= 0; --y)
            for (int x = 0; x < im->w; ++x) {
                const std::uint8_t* p = im->at(x, y);
                d += char(p[2]); d += char(p[1]); d += char(p[0]); d += char(p[3]);
            }
        for (int y = im->h - 1; y >= 0; --y) {
            std::string row(mask_stride, '\0');
            for (int x = 0; x < im->w; ++x)
                if (im->at(x, y)[3] == 0) row[size_t(x / 8)] = char(row[size_t(x / 8)] | (0x80 >> (x % 8)));
            d += row;
        }
        dibs.push_back(std::move(d));
    }
    std::string f;
    put16(f, 0); put16(f, 1); put16(f, unsigned(sizes.size()));
    unsigned offset = 6 + 16 * unsigned(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        f += char(sizes[i]->w >= 256 ? 0 : sizes[i]->w);
        f += char(sizes[i]->h >= 256 ? 0 : sizes[i]->h);
        f += char(0); f += char(0);
        put16(f, 1); put16(f, 32);
        put32(f, unsigned(dibs[i].size()));
        put32(f, offset);
        offset += unsigned(dibs[i].size());
    }
    for (const auto& d : dibs) f += d;
    write_file(path, f);
}

void write_pixel_table(const std::string& path, const Image& icon32, const Image& icon16) {
    std::ostringstream s;
    s << "// The window icon in 32 x 32 and 16 x 16, as 0xAARRGGBB pixels row by row.\n"
         "// Generated by tools/atlas (atlas_tool) from the same art as game/icon.ico;\n"
         "// do not edit by hand.\n";
    auto table = [&](const char* name, const Image& im) {
        s << "static const unsigned int " << name << "[" << im.w << " * " << im.h << "] = {\n";
        for (int y = 0; y < im.h; ++y) {
            s << "   ";
            for (int x = 0; x < im.w; ++x) {
                const std::uint8_t* p = im.at(x, y);
                char buf[16];
                std::snprintf(buf, sizeof buf, " 0x%02X%02X%02X%02X,", p[3], p[0], p[1], p[2]);
                s << buf;
                if (x % 8 == 7 && x + 1 < im.w) s << "\n   ";
            }
            s << "\n";
        }
        s << "};\n";
    };
    table("kWindowIcon32", icon32);
    table("kWindowIcon16", icon16);
    write_file(path, s.str());
}

}  // namespace atlas
