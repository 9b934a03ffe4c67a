// Finds the loose mascot pieces of a game in play on a screenshot of the
// window, and prints for each one where to press and where to drop it:
//   "press_x press_y drop_x drop_y" (client pixels, 1024 x 768 unscaled).
// After the scatter every mascot lies in a cell of its own in the lower
// band; a loose piece is drawn at alpha 192 over the band's background,
// so each cell is compared with that blend of every mascot's picture and
// with the bare background, and the closest wins.
//
// Usage: loose_mascots SCREENSHOT.png ATLAS.png
//
// With --wait-placed it instead watches the window until the mascot whose
// picture lies at (atlas_x, atlas_y) shows opaque, i.e. placed, centred on
// (drop_x, drop_y); exit status 0 when it does, 1 when the seconds run out.
// It reads the window directly, which stays quick on a busy machine.
//   loose_mascots --wait-placed WINDOW drop_x drop_y atlas_x atlas_y SECONDS ATLAS.png

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <string>
#include <vector>

#include "content/piece_geometry.h"

namespace {

struct Rgba {
    int w = 0, h = 0;
    std::vector<unsigned char> px;
    const unsigned char* at(int x, int y) const { return &px[(size_t(y) * size_t(w) + size_t(x)) * 4]; }
};

bool read_png(const char* path, Rgba& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGBA;
    out.px.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.px.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out.w = int(image.width);
    out.h = int(image.height);
    return true;
}

// The band below the map repeats the atlas's top-left 256 x 116 from rows
// 568 and 684.
const unsigned char* background(const Rgba& atlas, int x, int y) {
    if (y < 568) return atlas.at(x, y);
    return atlas.at(x % 256, y < 684 ? y - 568 : y - 684);
}

// Mean absolute difference per channel between the screen cell at (cx, cy)
// and the picture at (ax, ay) of the atlas drawn over the background with
// the given alpha (0 draws only the background). Opaque pure white is the
// colour key the game turns transparent.
double distance(const Rgba& shot, const Rgba& atlas, int cx, int cy, int ax, int ay, double alpha) {
    const int s = piece_geometry::kMascotSize;
    double sum = 0;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const unsigned char* b = background(atlas, cx + x, cy + y);
            const unsigned char* p = atlas.at(ax + x, ay + y);
            double a = p[3] / 255.0 * alpha;
            if (p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255) a = 0;
            const unsigned char* q = shot.at(cx + x, cy + y);
            for (int c = 0; c < 3; ++c) sum += std::abs(q[c] - (p[c] * a + b[c] * (1 - a)));
        }
    return sum / (s * s * 3);
}

// The middle 16 x 16 of the picture, compared with the window's pixels;
// mean absolute difference per channel, or a negative value when the
// window cannot be read.
double placed_distance(Display* display, Window window, int drop_x, int drop_y, const Rgba& atlas, int ax, int ay) {
    XImage* image = XGetImage(display, window, drop_x - 8, drop_y - 8, 16, 16, AllPlanes, ZPixmap);
    if (!image) return -1;
    double sum = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            const unsigned char* a = atlas.at(ax + 8 + x, ay + 8 + y);
            sum += std::abs(int((p >> 16) & 0xff) - a[0]) + std::abs(int((p >> 8) & 0xff) - a[1]) +
                   std::abs(int(p & 0xff) - a[2]);
        }
    XDestroyImage(image);
    return sum / (16 * 16 * 3);
}

int wait_placed(char** argv) {
    Rgba atlas;
    if (!read_png(argv[8], atlas) || atlas.w != piece_geometry::kAtlasWidth) {
        std::fprintf(stderr, "loose_mascots: %s is not the atlas\n", argv[8]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "loose_mascots: cannot open the display\n");
        return 2;
    }
    const Window window = Window(std::strtoul(argv[2], nullptr, 0));
    const int drop_x = std::atoi(argv[3]), drop_y = std::atoi(argv[4]);
    const int ax = std::atoi(argv[5]), ay = std::atoi(argv[6]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[7]));
    int status = 1;
    do {
        double d = placed_distance(display, window, drop_x, drop_y, atlas, ax, ay);
        if (d >= 0 && d < 5.0) {
            status = 0;
            break;
        }
        usleep(20000);
    } while (std::chrono::steady_clock::now() < deadline);
    XCloseDisplay(display);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 9 && std::strcmp(argv[1], "--wait-placed") == 0) return wait_placed(argv);
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: loose_mascots SCREENSHOT.png ATLAS.png\n"
                     "       loose_mascots --wait-placed WINDOW drop_x drop_y atlas_x atlas_y SECONDS ATLAS.png\n");
        return 2;
    }
    Rgba shot, atlas;
    if (!read_png(argv[1], shot) || shot.w < 1024 || shot.h < 768) {
        std::fprintf(stderr, "loose_mascots: %s is not a 1024 x 768 screenshot\n", argv[1]);
        return 1;
    }
    if (!read_png(argv[2], atlas) || atlas.w != piece_geometry::kAtlasWidth) {
        std::fprintf(stderr, "loose_mascots: %s is not the atlas\n", argv[2]);
        return 1;
    }
    using namespace piece_geometry;
    const double loose_alpha = 192.0 / 255.0;
    std::vector<int> seen(kMascotCount, 0);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 20; ++col) {
            const int cx = col * 48 + 40, cy = row * 40 + 568;
            double best = distance(shot, atlas, cx, cy, 0, 0, 0.0), second = 1e9;
            int which = -1;
            for (int i = 0; i < kMascotCount; ++i) {
                double d = distance(shot, atlas, cx, cy, mascot_atlas_x(i), mascot_atlas_y(i), loose_alpha);
                if (d < best) second = best, best = d, which = i;
                else if (d < second) second = d;
            }
            if (std::getenv("LOOSE_MASCOTS_DEBUG"))
                std::fprintf(stderr, "cell %d,%d: %d at %.2f, next %.2f\n", col, row, which, best, second);
            if (which < 0) continue;
            // Two cells that look like one mascot: a picture the game cannot
            // tell apart either; say so rather than drag the wrong one.
            if (seen[which]++) std::fprintf(stderr, "loose_mascots: mascot %d seen twice\n", which);
            std::printf("%d %d %d %d %d %d\n", cx + kMascotSize / 2, cy + kMascotSize / 2,
                        kMascotHomes[which].home_x + kMascotSize / 2, kMascotHomes[which].home_y + kMascotSize / 2,
                        mascot_atlas_x(which), mascot_atlas_y(which));
        }
    return 0;
}
