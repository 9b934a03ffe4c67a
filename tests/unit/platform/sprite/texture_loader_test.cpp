// The atlas loader's CPU side: decoding every PNG flavour, sizing, the
// colour key, the mip chain, and refusing bad files without crashing.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "platform/sprite/texture_loader.h"
#include "png_files.h"

namespace {

DecodedImage decode(const std::string& path) {
    DecodedImage image;
    EXPECT_EQ(decode_png_file(path.c_str(), image), ImageError::None) << path;
    return image;
}

std::vector<std::uint32_t> gradient(int w, int h) {
    std::vector<std::uint32_t> texels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            texels.push_back(0xFF000000u | static_cast<std::uint32_t>(x * 255 / std::max(1, w - 1)) << 16 |
                             static_cast<std::uint32_t>(y * 255 / std::max(1, h - 1)) << 8 | 0x40);
    return texels;
}

// Offset of a chunk's type field in a PNG file.
std::size_t find_chunk(const std::vector<unsigned char>& bytes, const char* type) {
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const std::size_t length = std::size_t{bytes[at]} << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
        if (std::memcmp(&bytes[at + 4], type, 4) == 0) return at + 4;
        at += 12 + length;
    }
    return 0;
}

void fix_crc(std::vector<unsigned char>& bytes, std::size_t type_at) {
    const std::size_t length = std::size_t{bytes[type_at - 4]} << 24 | bytes[type_at - 3] << 16 |
                               bytes[type_at - 2] << 8 | bytes[type_at - 1];
    const uLong crc = crc32(0, &bytes[type_at], static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i) bytes[type_at + 4 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
}

// A file of only signature and IHDR (and an end), claiming any size.
std::vector<unsigned char> header_only_png(std::uint32_t w, std::uint32_t h) {
    std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h})
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(v >> (24 - 8 * i)));
    bytes.insert(bytes.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
    fix_crc(bytes, 12);
    const unsigned char end[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    bytes.insert(bytes.end(), std::begin(end), std::end(end));
    return bytes;
}

}  // namespace

// --- Decoding --------------------------------------------------------------

TEST(PngDecoding, RgbaKeepsEveryTexelAndItsAlpha) {
    const std::vector<std::uint32_t> texels = {0xFF112233, 0x80445566, 0x00778899, 0xFFFFFFFF, 0xFFFEFFFF, 0x01020304};
    const std::string path = scratch_path("rgba.png");
    ASSERT_TRUE(write_png(path, rgba_png(3, 2, texels)));
    const DecodedImage d = decode(path);
    EXPECT_TRUE(d.has_alpha);
    ASSERT_EQ(d.image.width, 3);
    ASSERT_EQ(d.image.height, 2);
    EXPECT_EQ(d.image.texels, texels);
}

TEST(PngDecoding, RgbWithoutAlphaReadsOpaque) {
    PngLayout layout;
    layout.width = 2;
    layout.colour_type = PNG_COLOR_TYPE_RGB;
    layout.bytes = {0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF};
    const std::string path = scratch_path("rgb.png");
    ASSERT_TRUE(write_png(path, layout));
    const DecodedImage d = decode(path);
    EXPECT_FALSE(d.has_alpha);
    EXPECT_EQ(d.image.texels, (std::vector<std::uint32_t>{0xFF102030, 0xFFFFFFFF}));
}

TEST(PngDecoding, GrayAndGrayAlphaBecomeGreyArgb) {
    PngLayout gray;
    gray.width = 2;
    gray.colour_type = PNG_COLOR_TYPE_GRAY;
    gray.bytes = {0x00, 0x80};
    ASSERT_TRUE(write_png(scratch_path("gray.png"), gray));
    EXPECT_EQ(decode(scratch_path("gray.png")).image.texels, (std::vector<std::uint32_t>{0xFF000000, 0xFF808080}));

    PngLayout gray_alpha;
    gray_alpha.width = 1;
    gray_alpha.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    gray_alpha.bytes = {0x40, 0x20};
    ASSERT_TRUE(write_png(scratch_path("gray_alpha.png"), gray_alpha));
    const DecodedImage d = decode(scratch_path("gray_alpha.png"));
    EXPECT_TRUE(d.has_alpha);
    EXPECT_EQ(d.image.texels, (std::vector<std::uint32_t>{0x20404040}));
}

TEST(PngDecoding, LowBitGrayIsScaledToFullRange) {
    PngLayout layout;
    layout.width = 4;
    layout.colour_type = PNG_COLOR_TYPE_GRAY;
    layout.bit_depth = 2;
    layout.bytes = {0b00011011};  // 0, 1, 2, 3
    ASSERT_TRUE(write_png(scratch_path("gray2.png"), layout));
    EXPECT_EQ(decode(scratch_path("gray2.png")).image.texels,
              (std::vector<std::uint32_t>{0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}));
}

TEST(PngDecoding, PaletteWithTransparencyTable) {
    PngLayout layout;
    layout.width = 3;
    layout.colour_type = PNG_COLOR_TYPE_PALETTE;
    layout.palette = {{0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}};
    layout.trns_alpha = {0x00, 0x80};  // the third entry stays opaque
    layout.bytes = {0, 1, 2};
    ASSERT_TRUE(write_png(scratch_path("palette.png"), layout));
    const DecodedImage d = decode(scratch_path("palette.png"));
    EXPECT_TRUE(d.has_alpha);
    EXPECT_EQ(d.image.texels, (std::vector<std::uint32_t>{0x00FF0000, 0x8000FF00, 0xFF0000FF}));
}

TEST(PngDecoding, RgbColourKeyChunkMakesThatColourTransparent) {
    PngLayout layout;
    layout.width = 2;
    layout.colour_type = PNG_COLOR_TYPE_RGB;
    layout.bytes = {1, 2, 3, 4, 5, 6};
    layout.trns_colour = true;
    layout.trns_value.red = 4, layout.trns_value.green = 5, layout.trns_value.blue = 6;
    ASSERT_TRUE(write_png(scratch_path("rgb_trns.png"), layout));
    const DecodedImage d = decode(scratch_path("rgb_trns.png"));
    EXPECT_TRUE(d.has_alpha);
    EXPECT_EQ(d.image.texels, (std::vector<std::uint32_t>{0xFF010203, 0x00040506}));
}

TEST(PngDecoding, SixteenBitSamplesAreReducedToEight) {
    PngLayout layout;
    layout.width = 1;
    layout.colour_type = PNG_COLOR_TYPE_RGBA;
    layout.bit_depth = 16;
    layout.bytes = {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x7F, 0xFF};
    ASSERT_TRUE(write_png(scratch_path("rgba16.png"), layout));
    const std::uint32_t t = decode(scratch_path("rgba16.png")).image.texels.at(0);
    EXPECT_EQ(t >> 16 & 0xFF, 0xFFu);
    EXPECT_EQ(t >> 8 & 0xFF, 0x80u);
    EXPECT_EQ(t & 0xFF, 0x00u);
    EXPECT_EQ(t >> 24, 0x7Fu);  // 0x7FFF is just under half
}

TEST(PngDecoding, InterlacedImageDecodesLikeAPlainOne) {
    const std::vector<std::uint32_t> texels = gradient(13, 11);
    PngLayout layout = rgba_png(13, 11, texels);
    layout.interlaced = true;
    ASSERT_TRUE(write_png(scratch_path("interlaced.png"), layout));
    EXPECT_EQ(decode(scratch_path("interlaced.png")).image.texels, texels);
}

// --- Bad files -------------------------------------------------------------

class BadPngFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(write_png(good_, rgba_png(64, 64, gradient(64, 64))));
        bytes_ = read_file(good_);
        ASSERT_GT(bytes_.size(), 100u);
    }
    ImageError load(const std::vector<unsigned char>& bytes) {
        const std::string path = scratch_path("bad.png");
        write_file(path, bytes);
        DecodedImage out;
        const ImageError e = decode_png_file(path.c_str(), out);
        if (e != ImageError::None) {
            EXPECT_TRUE(out.image.texels.empty());
            EXPECT_EQ(out.image.width, 0);
        }
        TextureImage texture;
        EXPECT_EQ(load_texture_image(path.c_str(), TextureRequest{}, texture), e);
        return e;
    }
    std::string good_ = scratch_path("good.png");
    std::vector<unsigned char> bytes_;
};

TEST_F(BadPngFiles, MissingFileCannotBeOpened) {
    DecodedImage out;
    EXPECT_EQ(decode_png_file(scratch_path("no_such_file.png").c_str(), out), ImageError::CannotOpen);
    EXPECT_EQ(decode_png_file(nullptr, out), ImageError::CannotOpen);
    TextureImage texture;
    EXPECT_EQ(load_texture_image(scratch_path("no_such_file.png").c_str(), TextureRequest{}, texture),
              ImageError::CannotOpen);
}

TEST_F(BadPngFiles, EmptyAndForeignFilesAreNotPng) {
    EXPECT_EQ(load({}), ImageError::NotPng);
    const std::string text = "GIF89a and some more bytes that are not a PNG image";
    EXPECT_EQ(load({text.begin(), text.end()}), ImageError::NotPng);
    EXPECT_EQ(load({bytes_.begin(), bytes_.begin() + 5}), ImageError::NotPng);  // a cut signature
}

TEST_F(BadPngFiles, TruncatedAnywhereAfterTheSignatureIsCorrupt) {
    for (std::size_t cut : {std::size_t{8}, std::size_t{20}, std::size_t{40}, bytes_.size() / 2, bytes_.size() - 13})
        EXPECT_EQ(load({bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(cut)}), ImageError::Corrupt)
            << "cut at " << cut;
}

TEST_F(BadPngFiles, BadChecksumIsCorrupt) {
    const std::size_t idat = find_chunk(bytes_, "IDAT");
    ASSERT_NE(idat, 0u);
    bytes_[idat + 10] ^= 0x5A;  // data changed, checksum not
    EXPECT_EQ(load(bytes_), ImageError::Corrupt);
}

TEST_F(BadPngFiles, BadCompressedDataWithAValidChecksumIsCorrupt) {
    const std::size_t idat = find_chunk(bytes_, "IDAT");
    ASSERT_NE(idat, 0u);
    for (std::size_t i = idat + 6; i < idat + 30; ++i) bytes_[i] = 0xFF;
    fix_crc(bytes_, idat);
    EXPECT_EQ(load(bytes_), ImageError::Corrupt);
}

TEST_F(BadPngFiles, HugeDimensionsAreRefusedBeforeAnyAllocation) {
    EXPECT_EQ(load(header_only_png(60000, 60000)), ImageError::TooLarge);
    EXPECT_EQ(load(header_only_png(8193, 16)), ImageError::TooLarge);
    EXPECT_EQ(load(header_only_png(8192, 8192)), ImageError::TooLarge);  // within the side, too many texels
}

TEST_F(BadPngFiles, ErrorsHaveReadableTexts) {
    for (ImageError e : {ImageError::CannotOpen, ImageError::NotPng, ImageError::Corrupt, ImageError::TooLarge,
                         ImageError::OutOfMemory})
        EXPECT_GT(std::string(image_error_text(e)).size(), 5u);
}

// --- Sizing, colour key, mips -----------------------------------------------

TEST(TextureSizing, PowersOfTwoRoundUp) {
    EXPECT_EQ(round_up_to_power_of_two(0), 1u);
    EXPECT_EQ(round_up_to_power_of_two(1), 1u);
    EXPECT_EQ(round_up_to_power_of_two(3), 4u);
    EXPECT_EQ(round_up_to_power_of_two(300), 512u);
    EXPECT_EQ(round_up_to_power_of_two(1024), 1024u);
    EXPECT_EQ(round_up_to_power_of_two(1025), 2048u);
}

TEST(TextureSizing, DefaultSizeStretchesToPowersOfTwo) {
    DecodedImage d;
    d.image = {300, 200, gradient(300, 200)};
    TextureImage t;
    make_texture_image(d, TextureRequest{}, t);
    ASSERT_FALSE(t.levels.empty());
    EXPECT_EQ(t.levels[0].width, 512);
    EXPECT_EQ(t.levels[0].height, 256);
    EXPECT_EQ(t.source_width, 300);
    // Stretched, not padded: the far corner still holds the image's far corner.
    const std::uint32_t corner = t.levels[0].at(511, 255);
    EXPECT_GE(corner >> 16 & 0xFF, 0xF0u);
    EXPECT_GE(corner >> 8 & 0xFF, 0xF0u);
}

TEST(TextureSizing, PowerOfTwoImageIsUnchanged) {
    const std::vector<std::uint32_t> texels = gradient(64, 32);
    DecodedImage d;
    d.image = {64, 32, texels};
    TextureImage t;
    make_texture_image(d, TextureRequest{}, t);
    EXPECT_EQ(t.levels[0].width, 64);
    EXPECT_EQ(t.levels[0].height, 32);
    EXPECT_EQ(t.levels[0].texels, texels);
}

TEST(TextureSizing, DeviceLimitCapsTheSize) {
    DecodedImage d;
    d.image = {300, 20, gradient(300, 20)};
    TextureRequest request;
    request.max_texture_size = 128;
    TextureImage t;
    make_texture_image(d, request, t);
    EXPECT_EQ(t.levels[0].width, 128);
    EXPECT_EQ(t.levels[0].height, 32);
}

TEST(TextureSizing, TriangleFilterKeepsFlatAreasAndEdgesInPlace) {
    // Left half red, right half blue, enlarged from 6 to 16 across.
    std::vector<std::uint32_t> texels;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) texels.push_back(x < 3 ? 0xFFFF0000 : 0xFF0000FF);
    const ArgbImage out = resize_triangle({6, 2, texels}, 16, 4);
    EXPECT_EQ(out.at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(out.at(5, 3), 0xFFFF0000u);
    EXPECT_EQ(out.at(10, 1), 0xFF0000FFu);
    EXPECT_EQ(out.at(15, 2), 0xFF0000FFu);
    const std::uint32_t middle_left = out.at(7, 0), middle_right = out.at(8, 0);
    EXPECT_GT(middle_left >> 16 & 0xFF, middle_left & 0xFF);  // mostly red left of the edge
    EXPECT_GT(middle_right & 0xFF, middle_right >> 16 & 0xFF);
    // Shrinking averages: a 1-pixel checkerboard becomes even grey.
    std::vector<std::uint32_t> checker;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) checker.push_back((x + y) % 2 ? 0xFFFFFFFF : 0xFF000000);
    const ArgbImage small = resize_triangle({8, 8, checker}, 3, 3);
    const int grey = static_cast<int>(small.at(1, 1) & 0xFF);
    EXPECT_NEAR(grey, 128, 20);
}

TEST(ColourKey, OnlyOpaquePureWhiteBecomesTransparentBlack) {
    ArgbImage image{4, 1, {0xFFFFFFFF, 0xFFFEFFFF, 0x80FFFFFF, 0xFF000000}};
    EXPECT_EQ(apply_colour_key(image, 0xFFFFFFFF), 1u);
    EXPECT_EQ(image.texels, (std::vector<std::uint32_t>{0x00000000, 0xFFFEFFFF, 0x80FFFFFF, 0xFF000000}));
}

TEST(ColourKey, KeyAddsAlphaToAFormatWithout) {
    PngLayout layout;
    layout.width = 2;
    layout.colour_type = PNG_COLOR_TYPE_RGB;
    layout.bytes = {0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF};
    const std::string path = scratch_path("rgb_white.png");
    ASSERT_TRUE(write_png(path, layout));

    TextureRequest keyed;
    keyed.colour_key = 0xFFFFFFFF;
    TextureImage t;
    ASSERT_EQ(load_texture_image(path.c_str(), keyed, t), ImageError::None);
    EXPECT_TRUE(t.has_alpha);
    EXPECT_EQ(t.levels[0].at(0, 0), 0x00000000u);
    EXPECT_EQ(t.levels[0].at(1, 0), 0xFFFFFEFFu);

    TextureImage plain;
    ASSERT_EQ(load_texture_image(path.c_str(), TextureRequest{}, plain), ImageError::None);
    EXPECT_FALSE(plain.has_alpha);
    EXPECT_EQ(plain.levels[0].at(0, 0), 0xFFFFFFFFu);
}

TEST(MipChain, FullChainDownToOneByOne) {
    EXPECT_EQ(full_mip_level_count(1024, 1024), 11u);
    EXPECT_EQ(full_mip_level_count(512, 256), 10u);
    EXPECT_EQ(full_mip_level_count(1, 1), 1u);
    const std::vector<ArgbImage> levels = build_mip_chain({8, 2, gradient(8, 2)}, 0);
    ASSERT_EQ(levels.size(), 4u);
    const int sides[][2] = {{8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        EXPECT_EQ(levels[i].width, sides[i][0]);
        EXPECT_EQ(levels[i].height, sides[i][1]);
        EXPECT_EQ(levels[i].texels.size(), static_cast<std::size_t>(sides[i][0] * sides[i][1]));
    }
    EXPECT_EQ(build_mip_chain({8, 2, gradient(8, 2)}, 2).size(), 2u);
}

TEST(MipChain, BoxFilterAveragesEachTwoByTwoBlock) {
    ArgbImage top{2, 2, {0xFF000000, 0xFF0000FF, 0x00FF0000, 0xFF00FF00}};
    const std::vector<ArgbImage> levels = build_mip_chain(top, 0);
    ASSERT_EQ(levels.size(), 2u);
    // alpha (255+255+0+255)/4 = 191.25, red 255/4, green 255/4, blue 255/4; rounded.
    EXPECT_EQ(levels[1].at(0, 0), 0xBF404040u);
    // One-texel-high levels average pairs.
    const std::vector<ArgbImage> row = build_mip_chain({2, 1, {0xFF000000, 0xFF000003}}, 0);
    EXPECT_EQ(row[1].at(0, 0), 0xFF000002u);
}

TEST(MipChain, ColourKeyIsAppliedBeforeTheMips) {
    const std::string path = scratch_path("white_block.png");
    ASSERT_TRUE(write_png(path, rgba_png(2, 2, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF})));
    TextureRequest request;
    request.colour_key = 0xFFFFFFFF;
    TextureImage t;
    ASSERT_EQ(load_texture_image(path.c_str(), request, t), ImageError::None);
    ASSERT_EQ(t.levels.size(), 2u);
    EXPECT_EQ(t.levels[1].at(0, 0), 0x00000000u);
}
