// Writes small PNG files for the loader tests, in any colour type and bit
// depth, into a scratch folder of the build tree.
#pragma once

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// One folder per test process, removed when it ends: CTest runs the cases
// in parallel, each in its own process, and they write files of the same
// names.
struct ScratchFolder {
    std::filesystem::path path;
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

inline std::string scratch_path(const std::string& name) {
    static const ScratchFolder folder{std::filesystem::path(POKOMARU_BINARY_DIR) / "test_scratch" /
                                      ("sprite-" + std::to_string(getpid()))};
    std::filesystem::create_directories(folder.path);
    return (folder.path / name).string();
}

struct PngLayout {
    int width = 1, height = 1;
    int colour_type = PNG_COLOR_TYPE_RGBA;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<unsigned char> bytes;        // rows of samples as the colour type and depth lay them out
    std::vector<png_color> palette;          // for PNG_COLOR_TYPE_PALETTE
    std::vector<unsigned char> trns_alpha;   // palette alpha
    bool trns_colour = false;                // a tRNS colour for gray or RGB
    png_color_16 trns_value{};
};

inline bool write_png(const std::string& path, const PngLayout& layout) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bit_depth, layout.colour_type,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty()) png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    if (!layout.trns_alpha.empty())
        png_set_tRNS(png, info, layout.trns_alpha.data(), static_cast<int>(layout.trns_alpha.size()), nullptr);
    if (layout.trns_colour) png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(&layout.trns_value));
    png_write_info(png, info);
    const std::size_t row_bytes = layout.bytes.size() / layout.height;
    std::vector<png_bytep> rows(layout.height);
    for (int y = 0; y < layout.height; ++y) rows[y] = const_cast<png_bytep>(&layout.bytes[y * row_bytes]);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

// An 8-bit RGBA image from 0xAARRGGBB texels.
inline PngLayout rgba_png(int width, int height, const std::vector<std::uint32_t>& argb) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    for (std::uint32_t t : argb) {
        layout.bytes.push_back(static_cast<unsigned char>(t >> 16));
        layout.bytes.push_back(static_cast<unsigned char>(t >> 8));
        layout.bytes.push_back(static_cast<unsigned char>(t));
        layout.bytes.push_back(static_cast<unsigned char>(t >> 24));
    }
    return layout;
}

inline std::vector<unsigned char> read_file(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return bytes;
}

inline void write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}
