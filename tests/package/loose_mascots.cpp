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
// It also watches the count of pieces left in the window, reading the
// window directly, which stays quick on a busy machine:
//   loose_mascots --count WINDOW                       prints a fingerprint of it
//   loose_mascots --wait-count WINDOW PRINT SECONDS    waits until it changes

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

// The play screen's count of pieces left, "残り個数：NN個" at (632, 24): it
// changes exactly when a piece is placed, and vanishes with the last one.
constexpr int kCountX = 632, kCountY = 18, kCountW = 160, kCountH = 24;

// A fingerprint of the count's pixels; 0 when the window cannot be read.
unsigned long long count_fingerprint(Display* display, Window window) {
    XImage* image = XGetImage(display, window, kCountX, kCountY, kCountW, kCountH, AllPlanes, ZPixmap);
    if (!image) return 0;
    unsigned long long h = 1469598103934665603ull;
    for (int y = 0; y < kCountH; ++y)
        for (int x = 0; x < kCountW; ++x) h = (h ^ (XGetPixel(image, x, y) & 0xffffff)) * 1099511628211ull;
    XDestroyImage(image);
    return h;
}

// --count WINDOW: prints the fingerprint. --wait-count WINDOW PRINT SECONDS:
// waits until the count differs from that fingerprint (exit 0) or the time
// is up (exit 1).
int watch_count(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "loose_mascots: cannot open the display\n");
        return 2;
    }
    const Window window = Window(std::strtoul(argv[2], nullptr, 0));
    int status = 1;
    if (argc == 3) {
        std::printf("%llu\n", count_fingerprint(display, window));
        status = 0;
    } else {
        const unsigned long long before = std::strtoull(argv[3], nullptr, 10);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[4]));
        do {
            unsigned long long now = count_fingerprint(display, window);
            if (now != 0 && now != before) {
                status = 0;
                break;
            }
            usleep(20000);
        } while (std::chrono::steady_clock::now() < deadline);
    }
    XCloseDisplay(display);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--count") == 0) return watch_count(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--wait-count") == 0) return watch_count(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: loose_mascots SCREENSHOT.png ATLAS.png\n"
                     "       loose_mascots --count WINDOW\n"
                     "       loose_mascots --wait-count WINDOW FINGERPRINT SECONDS\n");
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
