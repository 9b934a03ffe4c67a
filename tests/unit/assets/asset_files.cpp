#include "asset_files.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace asset_test {

Picture read_png(const std::string& path) {
    Picture pic;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return pic;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&image);
        return pic;
    }
    pic.w = int(image.width);
    pic.h = int(image.height);
    pic.rgba = std::move(buffer);
    return pic;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace asset_test
