// The CPU side of loading the atlas: decode a PNG file into 32-bit ARGB,
// size it for the device, make opaque pure white transparent and build the
// mip chain. Plain functions on plain images, so every step is testable
// without a device; texture.cpp puts the result on the device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ArgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> texels;  // rows top to bottom, 0xAARRGGBB
    std::uint32_t at(int x, int y) const { return texels[static_cast<std::size_t>(y) * width + x]; }
};

enum class ImageError {
    None,
    CannotOpen,   // missing or unreadable file
    NotPng,       // the file does not start with the PNG signature
    Corrupt,      // truncated, bad checksum, bad data
    TooLarge,     // a side over max_image_side, or more texels than max_image_texels
    OutOfMemory,
};

const char* image_error_text(ImageError error);

constexpr int max_image_side = 8192;
constexpr std::size_t max_image_texels = std::size_t{8192} * 4096;  // 128 MiB of ARGB
// A PNG within the limits is at most about its raw size (incompressible data
// stored uncompressed); larger files are refused before a byte is read.
constexpr std::uint64_t max_png_file_size = std::uint64_t{max_image_texels} * 4 + (std::uint64_t{32} << 20);

struct DecodedImage {
    ArgbImage image;
    bool has_alpha = false;  // the file's format carries alpha (an alpha channel or tRNS)
};

// Any PNG colour type and bit depth, interlaced or not, ends as 8-bit ARGB;
// images without alpha read as opaque.
ImageError decode_png(const std::uint8_t* data, std::size_t size, DecodedImage& out);
// Opens only a regular file of at most max_png_file_size (a FIFO, device or
// directory is CannotOpen) and reads past the signature only for a PNG.
ImageError decode_png_file(const char* path, DecodedImage& out);

namespace png_detail {
// The largest block libpng allocated during the last decode_png, for tests.
extern std::size_t largest_library_allocation;
}

// 1, 2, 4, ... the first power of two not below n (n = 0 gives 1).
std::uint32_t round_up_to_power_of_two(std::uint32_t n);

// Stretches the image to width x height with a separable triangle (tent)
// filter: linear interpolation when enlarging, a tent as wide as the
// reduction when shrinking. Same size returns a copy.
ArgbImage resize_triangle(const ArgbImage& source, int width, int height);

// Every texel equal to key becomes 0x00000000; returns how many did.
std::size_t apply_colour_key(ArgbImage& image, std::uint32_t key);

// The mip chain below `top`: each level halves each side (never below 1),
// each texel the rounded mean of the 2 x 2 (or 2 x 1) texels above it.
// level_count 0 builds down to 1 x 1; the result includes `top` as level 0.
std::vector<ArgbImage> build_mip_chain(ArgbImage top, unsigned level_count);
unsigned full_mip_level_count(int width, int height);

struct TextureRequest {
    std::uint32_t width = 0xFFFFFFFFu;   // 0 or D3DX_DEFAULT: from the file, rounded up to a power of two
    std::uint32_t height = 0xFFFFFFFFu;
    unsigned mip_levels = 0;             // 0 or D3DX_DEFAULT: the full chain
    std::uint32_t colour_key = 0;        // 0: none
    int max_texture_size = 8192;         // the device's limit
};

struct TextureImage {
    std::vector<ArgbImage> levels;
    bool has_alpha = false;  // the texture's format: with alpha (A8R8G8B8) or without (X8R8G8B8)
    int source_width = 0, source_height = 0;
};

// decode → size → colour key → mips.
ImageError load_texture_image(const char* path, const TextureRequest& request, TextureImage& out);
// The same from an already decoded image.
void make_texture_image(DecodedImage decoded, const TextureRequest& request, TextureImage& out);
