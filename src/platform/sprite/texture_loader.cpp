#include "platform/sprite/texture_loader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/regular_file.h"

const char* image_error_text(ImageError error) {
    switch (error) {
        case ImageError::None: return "no error";
        case ImageError::CannotOpen: return "the file cannot be opened";
        case ImageError::NotPng: return "the file is not a PNG image";
        case ImageError::Corrupt: return "the PNG image is truncated or corrupt";
        case ImageError::TooLarge: return "the image is too large";
        case ImageError::OutOfMemory: return "out of memory";
    }
    return "unknown error";
}


ImageError decode_png_file(const char* path, DecodedImage& out) {
    out = DecodedImage{};
    if (!path) return ImageError::CannotOpen;
    FileRefusal refusal = FileRefusal::None;
    std::uint64_t file_size = 0;
    std::FILE* file = open_regular_file(path, max_png_file_size, &refusal, &file_size);
    if (!file) return refusal == FileRefusal::TooLarge ? ImageError::TooLarge : ImageError::CannotOpen;
    std::vector<std::uint8_t> bytes;
    ImageError error = ImageError::None;
    // The signature first: a file that is no PNG costs eight bytes of
    // reading, whatever its size.
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::uint8_t signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        std::memcmp(signature, kPngSignature, sizeof signature) != 0) {
        error = std::ferror(file) ? ImageError::CannotOpen : ImageError::NotPng;
    } else {
        try {
            bytes.resize(static_cast<std::size_t>(file_size));
            std::memcpy(bytes.data(), signature, sizeof signature);
            const std::size_t rest = bytes.size() - sizeof signature;
            const std::size_t got = std::fread(bytes.data() + sizeof signature, 1, rest, file);
            if (std::ferror(file)) error = ImageError::CannotOpen;
            bytes.resize(sizeof signature + got);  // a file that shrank meanwhile reads as cut
        } catch (const std::bad_alloc&) {
            error = ImageError::OutOfMemory;
        }
    }
    std::fclose(file);
    if (error != ImageError::None) return error;
    return decode_png(bytes.data(), bytes.size(), out);
}

namespace png_detail {
std::size_t largest_library_allocation = 0;
}

std::uint32_t round_up_to_power_of_two(std::uint32_t n) {
    std::uint32_t p = 1;
    while (p < n && p < 0x80000000u) p <<= 1;
    return p;
}

namespace {

struct Tap {
    int first;                  // first source index
    std::vector<float> weights;  // normalised
};

// The taps of a one-dimensional tent filter from src_size to dst_size.
std::vector<Tap> tent_taps(int src_size, int dst_size) {
    std::vector<Tap> taps(static_cast<std::size_t>(dst_size));
    const double scale = static_cast<double>(src_size) / dst_size;
    const double radius = std::max(1.0, scale);
    for (int d = 0; d < dst_size; ++d) {
        const double centre = (d + 0.5) * scale - 0.5;  // in source texel centres
        int lo = static_cast<int>(std::ceil(centre - radius));
        int hi = static_cast<int>(std::floor(centre + radius));
        Tap& tap = taps[d];
        std::vector<std::pair<int, double>> raw;
        double sum = 0;
        for (int s = lo; s <= hi; ++s) {
            const double w = 1.0 - std::abs(s - centre) / radius;
            if (w <= 0) continue;
            raw.emplace_back(std::clamp(s, 0, src_size - 1), w);
            sum += w;
        }
        if (raw.empty()) raw.emplace_back(std::clamp(static_cast<int>(std::lround(centre)), 0, src_size - 1), sum = 1.0);
        // Clamped edge taps may repeat an index; fold them into a dense run.
        int first = raw.front().first, last = raw.front().first;
        for (auto& [s, w] : raw) first = std::min(first, s), last = std::max(last, s);
        tap.first = first;
        tap.weights.assign(static_cast<std::size_t>(last - first + 1), 0.0f);
        for (auto& [s, w] : raw) tap.weights[s - first] += static_cast<float>(w / sum);
    }
    return taps;
}

struct Rgba {
    float c[4];
};

inline Rgba unpack(std::uint32_t v) {
    return {{float(v >> 24 & 0xFF), float(v >> 16 & 0xFF), float(v >> 8 & 0xFF), float(v & 0xFF)}};
}

inline std::uint32_t pack(const float c[4]) {
    std::uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
        const int v = std::clamp(static_cast<int>(c[i] + 0.5f), 0, 255);
        out = (out << 8) | static_cast<std::uint32_t>(v);
    }
    return out;
}

}  // namespace

ArgbImage resize_triangle(const ArgbImage& source, int width, int height) {
    if (width == source.width && height == source.height) return source;
    ArgbImage out;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return out;

    // Horizontal pass into floats, then vertical pass into texels. Only the
    // source rows that the current output row's taps reach are kept
    // filtered, in a ring: the taps' first rows never go back, so each
    // source row is filtered once. A whole float copy of the widened image
    // would be four times the size of the result.
    const std::vector<Tap> xtaps = tent_taps(source.width, width);
    const std::vector<Tap> ytaps = tent_taps(source.height, height);
    std::size_t ring_rows = 1;
    for (const Tap& tap : ytaps) ring_rows = std::max(ring_rows, tap.weights.size());
    std::vector<Rgba> ring(ring_rows * static_cast<std::size_t>(width));
    std::vector<int> ring_source(ring_rows, -1);  // which source row each slot holds
    auto filtered_row = [&](int y) -> const Rgba* {
        const std::size_t slot = static_cast<std::size_t>(y) % ring_rows;
        Rgba* mid = &ring[slot * static_cast<std::size_t>(width)];
        if (ring_source[slot] == y) return mid;
        const std::uint32_t* row = &source.texels[static_cast<std::size_t>(y) * source.width];
        for (int x = 0; x < width; ++x) {
            const Tap& tap = xtaps[x];
            Rgba acc{{0, 0, 0, 0}};
            for (std::size_t k = 0; k < tap.weights.size(); ++k) {
                const Rgba s = unpack(row[tap.first + k]);
                for (int i = 0; i < 4; ++i) acc.c[i] += s.c[i] * tap.weights[k];
            }
            mid[x] = acc;
        }
        ring_source[slot] = y;
        return mid;
    };

    out.width = width;
    out.height = height;
    out.texels.resize(static_cast<std::size_t>(width) * height);
    std::vector<const Rgba*> rows(ring_rows);
    for (int y = 0; y < height; ++y) {
        const Tap& tap = ytaps[y];
        for (std::size_t k = 0; k < tap.weights.size(); ++k) rows[k] = filtered_row(tap.first + static_cast<int>(k));
        for (int x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (std::size_t k = 0; k < tap.weights.size(); ++k) {
                const Rgba& s = rows[k][x];
                for (int i = 0; i < 4; ++i) acc[i] += s.c[i] * tap.weights[k];
            }
            out.texels[static_cast<std::size_t>(y) * width + x] = pack(acc);
        }
    }
    return out;
}

std::size_t apply_colour_key(ArgbImage& image, std::uint32_t key) {
    std::size_t count = 0;
    for (std::uint32_t& t : image.texels)
        if (t == key) t = 0, ++count;
    return count;
}

unsigned full_mip_level_count(int width, int height) {
    unsigned levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        ++levels;
    }
    return levels;
}

std::vector<ArgbImage> build_mip_chain(ArgbImage top, unsigned level_count) {
    const unsigned full = full_mip_level_count(top.width, top.height);
    const unsigned count = level_count == 0 ? full : std::min(level_count, full);
    std::vector<ArgbImage> levels;
    levels.reserve(count);
    levels.push_back(std::move(top));
    while (levels.size() < count) {
        const ArgbImage& up = levels.back();
        ArgbImage down;
        down.width = std::max(1, up.width / 2);
        down.height = std::max(1, up.height / 2);
        down.texels.resize(static_cast<std::size_t>(down.width) * down.height);
        const int sx = up.width > 1 ? 2 : 1;
        const int sy = up.height > 1 ? 2 : 1;
        const unsigned n = static_cast<unsigned>(sx * sy);
        for (int y = 0; y < down.height; ++y) {
            for (int x = 0; x < down.width; ++x) {
                unsigned sum[4] = {0, 0, 0, 0};
                for (int dy = 0; dy < sy; ++dy)
                    for (int dx = 0; dx < sx; ++dx) {
                        const std::uint32_t t = up.at(x * sx + dx, y * sy + dy);
                        for (int i = 0; i < 4; ++i) sum[i] += t >> (24 - 8 * i) & 0xFF;
                    }
                std::uint32_t v = 0;
                for (int i = 0; i < 4; ++i) v = (v << 8) | ((sum[i] + n / 2) / n);
                down.texels[static_cast<std::size_t>(y) * down.width + x] = v;
            }
        }
        levels.push_back(std::move(down));
    }
    return levels;
}

void make_texture_image(DecodedImage decoded, const TextureRequest& request, TextureImage& out) {
    out = TextureImage{};
    ArgbImage& image = decoded.image;
    out.source_width = image.width;
    out.source_height = image.height;
    constexpr std::uint32_t from_file = 0xFFFFFFFFu;
    auto side = [&](std::uint32_t wanted, int source) {
        std::uint32_t s = (wanted == 0 || wanted == from_file) ? round_up_to_power_of_two(static_cast<std::uint32_t>(source))
                                                               : wanted;
        const std::uint32_t limit = static_cast<std::uint32_t>(std::max(1, request.max_texture_size));
        return static_cast<int>(std::min(s, limit));
    };
    const int width = side(request.width, image.width);
    const int height = side(request.height, image.height);

    ArgbImage top = (width == image.width && height == image.height) ? std::move(image)
                                                                     : resize_triangle(image, width, height);
    decoded.image = ArgbImage{};
    out.has_alpha = decoded.has_alpha || request.colour_key != 0;
    if (request.colour_key != 0) apply_colour_key(top, request.colour_key);
    const unsigned levels = request.mip_levels == from_file ? 0 : request.mip_levels;
    out.levels = build_mip_chain(std::move(top), levels);
}

ImageError load_texture_image(const char* path, const TextureRequest& request, TextureImage& out) {
    out = TextureImage{};
    DecodedImage decoded;
    const ImageError error = decode_png_file(path, decoded);
    if (error != ImageError::None) return error;
    try {
        make_texture_image(std::move(decoded), request, out);
    } catch (const std::bad_alloc&) {
        out = TextureImage{};
        return ImageError::OutOfMemory;
    }
    return ImageError::None;
}
