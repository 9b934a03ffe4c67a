// PNG decoding on Linux with libpng (sprite/texture_loader.h's decode_png).
//
// Implements: any colour type and bit depth to 8-bit ARGB, transparency
// chunks included; every chunk's declared length judged against the bytes
// the file has before libpng allocates for it; a broken file as "corrupt".
//
// Not implemented: colour management (gamma and colour profiles are
// ignored); other image formats.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "platform/sprite/texture_loader.h"

namespace {

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

// What the libpng callbacks report back; it lives outside the setjmp frame
// so nothing with a destructor is skipped by a longjmp.
struct DecodeContext {
    MemoryReader reader;
    ImageError error = ImageError::None;
    DecodedImage* out = nullptr;
    std::vector<png_bytep> rows;
    std::size_t largest_allocation = 0;  // of libpng's own, not the image
};

// libpng's allocations go through here so that a test can see the largest
// one: a chunk may declare up to 2 GiB, and none may be believed beyond the
// bytes the file has.
png_voidp allocate_for_png(png_structp png, png_alloc_size_t size) {
    if (auto* context = static_cast<DecodeContext*>(png_get_mem_ptr(png)))
        context->largest_allocation = std::max<std::size_t>(context->largest_allocation, size);
    return std::malloc(size);
}

void free_for_png(png_structp, png_voidp pointer) { std::free(pointer); }

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Walks the chunks up to IEND and checks that each one's declared length
// fits in the bytes that are left. libpng takes a length at its word and
// allocates (and zero-fills) that much before it reads a byte of it; some
// of its limits on ancillary chunks only warn.
bool chunk_lengths_fit(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 8;
    while (at < size) {
        if (size - at < 12) return false;  // length, type and CRC at least
        const std::uint32_t length = be32(data + at);
        if (length > 0x7FFFFFFFu || length > size - at - 12) return false;
        const bool end = std::memcmp(data + at + 4, "IEND", 4) == 0;
        at += std::size_t{12} + length;
        if (end) return true;
    }
    return false;  // no IEND: the file was cut
}

void read_from_memory(png_structp png, png_bytep dest, png_size_t length) {
    auto* context = static_cast<DecodeContext*>(png_get_io_ptr(png));
    MemoryReader& r = context->reader;
    if (length > r.size - r.offset) {
        context->error = ImageError::Corrupt;
        png_error(png, "truncated");
    }
    std::memcpy(dest, r.data + r.offset, length);
    r.offset += length;
}

void on_png_error(png_structp png, png_const_charp) {
    auto* context = static_cast<DecodeContext*>(png_get_error_ptr(png));
    if (context->error == ImageError::None) context->error = ImageError::Corrupt;
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

bool allocate(DecodeContext& context, int width, int height) {
    try {
        ArgbImage& image = context.out->image;
        image.width = width;
        image.height = height;
        image.texels.assign(static_cast<std::size_t>(width) * height, 0);
        context.rows.resize(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            context.rows[y] = reinterpret_cast<png_bytep>(image.texels.data() + static_cast<std::size_t>(y) * width);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Holds only trivially destructible locals: libpng leaves it by longjmp.
bool run_decoder(png_structp png, png_infop info, DecodeContext* context) {
    if (setjmp(png_jmpbuf(png))) return false;

    png_set_read_fn(png, context, read_from_memory);
    png_set_chunk_malloc_max(png, 64u << 20);
    // What libpng only warns about by default (a chunk over its size limit,
    // bad ancillary data) fails the load: the atlas is ours and is clean.
    png_set_benign_errors(png, 0);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bit_depth = 0, colour_type = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bit_depth, &colour_type, &interlace, nullptr, nullptr);
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(max_image_side) ||
        height > static_cast<png_uint_32>(max_image_side) ||
        static_cast<std::size_t>(width) * height > max_image_texels) {
        context->error = ImageError::TooLarge;
        return false;
    }

    const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    context->out->has_alpha = has_trns || (colour_type & PNG_COLOR_MASK_ALPHA) != 0;

    // Everything becomes 8-bit B, G, R, A bytes: 0xAARRGGBB in a
    // little-endian 32-bit word.
    png_set_expand(png);  // palette → RGB, gray below 8 bits → 8 bits, tRNS → alpha
    if (bit_depth == 16) png_set_scale_16(png);
    if ((colour_type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    if (!context->out->has_alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4) {
        context->error = ImageError::Corrupt;
        return false;
    }

    if (!allocate(*context, static_cast<int>(width), static_cast<int>(height))) {
        context->error = ImageError::OutOfMemory;
        return false;
    }
    png_read_image(png, context->rows.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

ImageError decode_png(const std::uint8_t* data, std::size_t size, DecodedImage& out) {
    out = DecodedImage{};
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return ImageError::NotPng;

    // IHDR must come first; its size is judged before libpng allocates for it.
    if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        const std::uint32_t width = be32(data + 16), height = be32(data + 20);
        if (width > static_cast<std::uint32_t>(max_image_side) || height > static_cast<std::uint32_t>(max_image_side) ||
            static_cast<std::size_t>(width) * height > max_image_texels)
            return ImageError::TooLarge;
    }
    if (!chunk_lengths_fit(data, size)) return ImageError::Corrupt;

    DecodeContext context;
    context.reader = MemoryReader{data, size, 0};
    context.out = &out;

    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &context, on_png_error, on_png_warning,
                                               &context, allocate_for_png, free_for_png);
    if (!png) return ImageError::OutOfMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ImageError::OutOfMemory;
    }
    const bool ok = run_decoder(png, info, &context);
    png_destroy_read_struct(&png, &info, nullptr);
    png_detail::largest_library_allocation = context.largest_allocation;
    if (!ok) {
        out = DecodedImage{};
        return context.error == ImageError::None ? ImageError::Corrupt : context.error;
    }
    return ImageError::None;
}
