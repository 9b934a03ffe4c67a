// PNG decoding in the browser (sprite/texture_loader.h's decode_png). Not
// implemented: colour management, and any format but PNG.
//
// The file's chunks are checked here (signature,
// lengths, checksums, the header's size against the loader's limits, whether
// the format carries alpha), then the browser's own decoder turns it into
// pixels, unpremultiplied and without colour management, exactly the bytes
// the file holds.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sprite/texture_loader.h"
#include "platform/web/web_page.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::uint32_t> table = [] {
        std::vector<std::uint32_t> t(256);
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    bool has_alpha = false;
};

// Walks the chunks up to IEND. Corrupt for anything a decoder would choke
// on or silently repair: a chunk running past the end, a bad checksum, no
// header first, no image data, no end.
ImageError check_chunks(const std::uint8_t* data, std::size_t size, PngHeader& header) {
    std::size_t at = sizeof kSignature;
    bool seen_header = false, seen_data = false;
    while (true) {
        if (size - at < 12) return ImageError::Corrupt;
        const std::uint32_t length = be32(data + at);
        if (length > 0x7FFFFFFFu || length > size - at - 12) return ImageError::Corrupt;
        const std::uint8_t* type = data + at + 4;
        const std::uint8_t* body = data + at + 8;
        if (crc32(type, length + 4) != be32(body + length)) return ImageError::Corrupt;
        if (!seen_header) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return ImageError::Corrupt;
            header.width = be32(body);
            header.height = be32(body + 4);
            const std::uint8_t depth = body[8], colour = body[9];
            if (header.width == 0 || header.height == 0 || body[10] != 0 || body[11] != 0 || body[12] > 1)
                return ImageError::Corrupt;
            const bool depth_ok = colour == 0 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)
                                  : colour == 3 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8)
                                  : (colour == 2 || colour == 4 || colour == 6) ? (depth == 8 || depth == 16)
                                                                                 : false;
            if (!depth_ok) return ImageError::Corrupt;
            header.has_alpha = colour == 4 || colour == 6;
            if (header.width > static_cast<std::uint32_t>(max_image_side) ||
                header.height > static_cast<std::uint32_t>(max_image_side) ||
                std::uint64_t{header.width} * header.height > max_image_texels)
                return ImageError::TooLarge;
            seen_header = true;
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            header.has_alpha = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            seen_data = true;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return seen_data ? ImageError::None : ImageError::Corrupt;
        }
        at += std::size_t{length} + 12;
    }
}

}  // namespace

ImageError decode_png(const std::uint8_t* data, std::size_t size, DecodedImage& out) {
    out = DecodedImage{};
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return ImageError::NotPng;
    PngHeader header;
    if (const ImageError error = check_chunks(data, size, header); error != ImageError::None) return error;

    const int w = static_cast<int>(header.width), h = static_cast<int>(header.height);
    const std::size_t count = static_cast<std::size_t>(w) * h;
    // The browser's pixels land in a block of our own; running out of
    // memory is an answer, not an abort.
    auto* rgba = static_cast<std::uint8_t*>(std::malloc(count * 4));
    if (!rgba) return ImageError::OutOfMemory;
    if (!pokomaru_decode_png(data, size, w, h, rgba)) {
        std::free(rgba);
        return ImageError::Corrupt;
    }
    void* room = std::malloc(count * 4);  // the texels' vector needs as much again
    if (!room) {
        std::free(rgba);
        return ImageError::OutOfMemory;
    }
    std::free(room);
    std::vector<std::uint32_t> texels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = rgba + i * 4;
        texels[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
    std::free(rgba);
    out.image.width = w;
    out.image.height = h;
    out.image.texels = std::move(texels);
    out.has_alpha = header.has_alpha;
    return ImageError::None;
}
