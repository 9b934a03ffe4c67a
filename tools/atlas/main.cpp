// atlas_tool: draws game/bitmap.png, the window icon (game/icon.ico and
// its C++ pixel table) from the municipal boundaries and the catalogue.
//
//   atlas_tool --geojson FILE --municipalities TSV --mascots TSV
//              --png OUT [--ico OUT] [--icon-table OUT] [--looks TSV] [--preview DIR]
//              [--icon-dir DIR]   (the desktop icon at every theme size)

#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>

#include "art.h"
#include "icon_sizes.h"
#include "map_fit.h"

namespace {

// The looks table, by default beside the catalogue's mascot table.
std::string looks_path(std::map<std::string, std::string>& opt) {
    if (opt.count("looks")) return opt["looks"];
    const std::string& m = opt["mascots"];
    size_t slash = m.find_last_of('/');
    return (slash == std::string::npos ? std::string() : m.substr(0, slash + 1)) + "mascot-looks.tsv";
}

std::vector<std::string> mascot_names(const std::vector<atlas::MascotRow>& rows) {
    std::vector<std::string> names;
    for (const auto& r : rows) names.push_back(r.name);
    return names;
}

void usage() {
    std::fprintf(stderr,
                 "usage: atlas_tool --geojson FILE --municipalities TSV --mascots TSV --png OUT\n"
                 "                  [--ico OUT] [--icon-table OUT] [--looks TSV] [--preview DIR]\n"
                 "                  [--icon-dir DIR]\n");
}

// How well the pieces, drawn at home as the game draws them, tile the map.
void report_tiling(const atlas::Image& atlas) {
    using namespace piece_geometry;
    const int w = 1024, h = 568;
    std::vector<int> count(size_t(w) * h, 0);
    for (int i = 0; i < kMunicipalityCount; ++i) {
        const auto& g = kMunicipalities[i];
        for (int y = kMarginPixels; y < g.height - kMarginPixels; ++y)
            for (int x = kMarginPixels; x < g.width - kMarginPixels; ++x)
                if (atlas.at(g.atlas_x + x, g.atlas_y + y)[3] >= 128) ++count[size_t(g.home_y + y) * w + size_t(g.home_x + x)];
    }
    // Holes: uncovered pixels that the outside cannot reach.
    std::vector<char> outside(count.size(), 0);
    std::vector<int> stack;
    for (int x = 0; x < w; ++x) { stack.push_back(x); stack.push_back((h - 1) * w + x); }
    for (int y = 0; y < h; ++y) { stack.push_back(y * w); stack.push_back(y * w + w - 1); }
    while (!stack.empty()) {
        int p = stack.back();
        stack.pop_back();
        if (outside[size_t(p)] || count[size_t(p)] > 0) continue;
        outside[size_t(p)] = 1;
        int x = p % w, y = p / w;
        if (x > 0) stack.push_back(p - 1);
        if (x + 1 < w) stack.push_back(p + 1);
        if (y > 0) stack.push_back(p - w);
        if (y + 1 < h) stack.push_back(p + w);
    }
    long area = 0, holes = 0, overlaps = 0;
    for (size_t p = 0; p < count.size(); ++p) {
        if (outside[p]) continue;
        ++area;
        if (count[p] == 0) ++holes;
        if (count[p] > 1) ++overlaps;
    }
    std::printf("tiling: map area %ld px, holes %ld (%.3f%%), overlaps %ld (%.3f%%)\n", area, holes,
                100.0 * holes / area, overlaps, 100.0 * overlaps / area);
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--", 0) != 0 || i + 1 >= argc) {
            usage();
            return 2;
        }
        opt[a.substr(2)] = argv[++i];
    }
    for (const char* required : {"geojson", "municipalities", "mascots", "png"})
        if (!opt.count(required)) {
            std::fprintf(stderr, "atlas_tool: missing --%s\n", required);
            usage();
            return 2;
        }
    try {
        auto rows = atlas::read_municipality_rows(opt["municipalities"]);
        auto mascots = atlas::read_mascot_rows(opt["mascots"]);
        auto looks = portraits::read_looks(looks_path(opt), mascot_names(mascots));
        // The portraits first: a look the painter cannot draw stops the tool
        // before the long map fit.
        atlas::Image image(piece_geometry::kAtlasWidth, piece_geometry::kAtlasHeight);
        atlas::paint_mascots(image, looks);
        auto boundaries = atlas::read_boundaries(opt["geojson"], rows);

        atlas::FitReport fit;
        auto rings = atlas::fit_map(boundaries, fit);
        std::printf("projection: %.2f px per degree of x, %.2f px per degree of latitude; box edges off by "
                    "%.2f px at most, %.2f px on average\n",
                    fit.scale_x, fit.scale_y, fit.projected_max, fit.projected_mean);
        std::printf("warp: thin-plate spline per axis, %d control points, %d rounds; largest residue %.3f px; "
                    "smallest area ratio %.3f\n",
                    fit.control_points, fit.iterations, fit.warp_max, fit.min_jacobian);
        std::printf("snap: largest vertex correction %.3f px\n", fit.snap_max);

        atlas::paint_background(image, rings);
        atlas::paint_municipalities(image, rings, rows);
        atlas::paint_buttons(image);
        atlas::paint_hint_button_and_marker(image);
        atlas::write_png(opt["png"], image);
        report_tiling(image);

        if (opt.count("ico") || opt.count("icon-table")) {
            atlas::Image icon32 = atlas::paint_window_icon(32, rings, rows);
            atlas::Image icon16 = atlas::paint_window_icon(16, rings, rows);
            if (opt.count("ico")) atlas::write_ico(opt["ico"], {&icon32, &icon16});
            if (opt.count("icon-table")) atlas::write_pixel_table(opt["icon-table"], icon32, icon16);
            if (opt.count("preview")) {
                atlas::write_png(opt["preview"] + "/icon32.png", icon32);
                atlas::write_png(opt["preview"] + "/icon16.png", icon16);
            }
        }
        if (opt.count("icon-dir")) atlas::write_desktop_icons(opt["icon-dir"], rings, rows);
        if (opt.count("preview")) {
            atlas::write_png(opt["preview"] + "/solved_map.png", atlas::compose_solved_screen(image, true, false, false));
            atlas::write_png(opt["preview"] + "/empty_board.png", atlas::compose_solved_screen(image, false, false, true));
            atlas::write_png(opt["preview"] + "/title.png", atlas::compose_solved_screen(image, true, true, true));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "atlas_tool: error: %s\n", e.what());
        return 1;
    }
    return 0;
}
