#include "raster.h"

#include <algorithm>
#include <array>
#include <map>
#include <cmath>

namespace atlas {

namespace {
constexpr int kSub = 16;  // sub-scanlines per pixel row
}

Field coverage(const std::vector<Ring>& rings, const Frame& frame) {
    Field f;
    f.w = frame.w;
    f.h = frame.h;
    f.v.assign(size_t(f.w) * size_t(f.h), 0.0f);
    const int lines = f.h * kSub;
    std::vector<std::vector<double>> crossings{size_t(lines)};
    for (const auto& ring : rings) {
        const size_t n = ring.size();
        for (size_t k = 0; k < n; ++k) {
            Point a = frame.to_pixels(ring[k]), b = frame.to_pixels(ring[(k + 1) % n]);
            if (a.y == b.y) continue;
            if (a.y > b.y) std::swap(a, b);
            // Sub-scanline s samples y = (s + 0.5) / kSub; an edge covers a <= y < b.
            int s0 = std::max(0, int(std::ceil(a.y * kSub - 0.5)));
            int s1 = std::min(lines - 1, int(std::ceil(b.y * kSub - 0.5)) - 1);
            for (int s = s0; s <= s1; ++s) {
                double y = (s + 0.5) / kSub;
                crossings[size_t(s)].push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
            }
        }
    }
    std::vector<double> row(size_t(f.w) + 1);
    for (int py = 0; py < f.h; ++py) {
        std::fill(row.begin(), row.end(), 0.0);
        for (int k = 0; k < kSub; ++k) {
            auto& xs = crossings[size_t(py * kSub + k)];
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                double x0 = std::clamp(xs[i], 0.0, double(f.w)), x1 = std::clamp(xs[i + 1], 0.0, double(f.w));
                if (x1 <= x0) continue;
                int c0 = int(x0), c1 = int(x1);
                if (c0 == c1) {
                    row[size_t(c0)] += x1 - x0;
                    continue;
                }
                row[size_t(c0)] += (c0 + 1) - x0;
                for (int c = c0 + 1; c < c1; ++c) row[size_t(c)] += 1.0;
                if (c1 < f.w) row[size_t(c1)] += x1 - c1;
            }
        }
        for (int px = 0; px < f.w; ++px) f.at(px, py) = float(std::min(1.0, row[size_t(px)] / kSub));
    }
    return f;
}

Field edge_distance(const std::vector<Ring>& rings, const Frame& frame, float cap) {
    struct Seg { Point a, b; };
    const int cell = std::max(4, int(std::ceil(cap)));
    const int gw = frame.w / cell + 1, gh = frame.h / cell + 1;
    std::vector<std::vector<Seg>> grid(size_t(gw) * size_t(gh));
    // Edges that two rings share (the wards of one city) are inside the
    // shape, not on its border: leave them out.
    auto key = [](const Point& a, const Point& b) {
        bool ab = a.x < b.x || (a.x == b.x && a.y < b.y);
        return ab ? std::array<double, 4>{a.x, a.y, b.x, b.y} : std::array<double, 4>{b.x, b.y, a.x, a.y};
    };
    std::map<std::array<double, 4>, int> edges;
    for (const auto& ring : rings)
        for (size_t k = 0; k < ring.size(); ++k) ++edges[key(ring[k], ring[(k + 1) % ring.size()])];
    for (const auto& ring : rings) {
        const size_t n = ring.size();
        for (size_t k = 0; k < n; ++k) {
            const Point& a = ring[k];
            const Point& b = ring[(k + 1) % n];
            if (edges[key(a, b)] > 1) continue;
            Seg s{frame.to_pixels(a), frame.to_pixels(b)};
            int x0 = std::clamp(int(std::floor(std::min(s.a.x, s.b.x) / cell)), 0, gw - 1);
            int x1 = std::clamp(int(std::floor(std::max(s.a.x, s.b.x) / cell)), 0, gw - 1);
            int y0 = std::clamp(int(std::floor(std::min(s.a.y, s.b.y) / cell)), 0, gh - 1);
            int y1 = std::clamp(int(std::floor(std::max(s.a.y, s.b.y) / cell)), 0, gh - 1);
            for (int gy = y0; gy <= y1; ++gy)
                for (int gx = x0; gx <= x1; ++gx) grid[size_t(gy) * size_t(gw) + size_t(gx)].push_back(s);
        }
    }
    Field f;
    f.w = frame.w;
    f.h = frame.h;
    f.v.assign(size_t(f.w) * size_t(f.h), cap);
    for (int py = 0; py < f.h; ++py)
        for (int px = 0; px < f.w; ++px) {
            double cx = px + 0.5, cy = py + 0.5;
            int gx = int(cx / cell), gy = int(cy / cell);
            double best = double(cap) * cap;
            for (int y = std::max(0, gy - 1); y <= std::min(gh - 1, gy + 1); ++y)
                for (int x = std::max(0, gx - 1); x <= std::min(gw - 1, gx + 1); ++x)
                    for (const auto& s : grid[size_t(y) * size_t(gw) + size_t(x)]) {
                        double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
                        double len2 = dx * dx + dy * dy;
                        double t = len2 > 0 ? ((cx - s.a.x) * dx + (cy - s.a.y) * dy) / len2 : 0.0;
                        t = std::clamp(t, 0.0, 1.0);
                        double ex = s.a.x + t * dx - cx, ey = s.a.y + t * dy - cy;
                        best = std::min(best, ex * ex + ey * ey);
                    }
            f.at(px, py) = float(std::sqrt(best));
        }
    return f;
}

Field blur(const Field& in, int radius, int passes) {
    Field f = in;
    std::vector<float> tmp(f.v.size());
    const float norm = 1.0f / float(2 * radius + 1);
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k) s += f.at(std::clamp(x + k, 0, f.w - 1), y);
                tmp[size_t(y) * size_t(f.w) + size_t(x)] = s * norm;
            }
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k)
                    s += tmp[size_t(std::clamp(y + k, 0, f.h - 1)) * size_t(f.w) + size_t(x)];
                f.at(x, y) = s * norm;
            }
    }
    return f;
}

}  // namespace atlas
