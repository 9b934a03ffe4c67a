// The atlas loader's CPU side on any bytes: decoding must end in an image or
// a clear error, never a crash, and a decoded image must be whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/sprite/texture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodedImage decoded;
    const ImageError error = decode_png(data, size, decoded);
    if (error != ImageError::None) {
        if (!decoded.image.texels.empty() || decoded.image.width != 0) std::abort();  // a failure leaves nothing
        if (image_error_text(error) == nullptr) std::abort();
        return 0;
    }
    const ArgbImage& image = decoded.image;
    if (image.width < 1 || image.height < 1 || image.width > max_image_side || image.height > max_image_side)
        std::abort();
    if (image.texels.size() != static_cast<std::size_t>(image.width) * image.height) std::abort();
    if (image.texels.size() > max_image_texels) std::abort();
    // Sizing, colour key and the mip chain, kept small so that a tiny file
    // declaring a huge picture does not make each run slow.
    if (image.texels.size() <= 256 * 256) {
        TextureRequest request;
        request.colour_key = 0xFFFFFFFFu;
        request.max_texture_size = 256;
        TextureImage texture;
        make_texture_image(decoded, request, texture);
        if (texture.levels.empty()) std::abort();
        for (std::size_t i = 0; i < texture.levels.size(); ++i) {
            const ArgbImage& level = texture.levels[i];
            if (level.width < 1 || level.height < 1 || level.width > 256 || level.height > 256) std::abort();
            if (level.texels.size() != static_cast<std::size_t>(level.width) * level.height) std::abort();
            if (i > 0 && (level.width != std::max(1, texture.levels[i - 1].width / 2) ||
                          level.height != std::max(1, texture.levels[i - 1].height / 2)))
                std::abort();
        }
    }
    return 0;
}
