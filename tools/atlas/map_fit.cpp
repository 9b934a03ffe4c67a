#include "map_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace atlas {

using piece_geometry::kMarginPixels;
using piece_geometry::kMunicipalities;

Box drawn_box(int i) {
    const auto& g = kMunicipalities[i];
    return {double(g.home_x + kMarginPixels), double(g.home_y + kMarginPixels),
            double(g.home_x + g.width - kMarginPixels), double(g.home_y + g.height - kMarginPixels)};
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kUnit = 100.0;  // spline coordinates in hundreds of pixels, for conditioning

// Solves a dense system in place by Gaussian elimination with partial pivoting.
std::vector<double> solve(std::vector<double> a, std::vector<double> b) {
    const size_t n = b.size();
    for (size_t c = 0; c < n; ++c) {
        size_t p = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::fabs(a[r * n + c]) > std::fabs(a[p * n + c])) p = r;
        if (std::fabs(a[p * n + c]) < 1e-14) throw std::runtime_error("warp fit: singular system");
        if (p != c) {
            for (size_t k = 0; k < n; ++k) std::swap(a[c * n + k], a[p * n + k]);
            std::swap(b[c], b[p]);
        }
        for (size_t r = c + 1; r < n; ++r) {
            double f = a[r * n + c] / a[c * n + c];
            if (f == 0) continue;
            for (size_t k = c; k < n; ++k) a[r * n + k] -= f * a[c * n + k];
            b[r] -= f * b[c];
        }
    }
    std::vector<double> x(n);
    for (size_t i = n; i-- > 0;) {
        double s = b[i];
        for (size_t k = i + 1; k < n; ++k) s -= a[i * n + k] * x[k];
        x[i] = s / a[i * n + i];
    }
    return x;
}

double kernel(double dx, double dy) {
    double r2 = dx * dx + dy * dy;
    return r2 > 0 ? 0.5 * r2 * std::log(r2) : 0.0;
}

// A scalar thin-plate spline: value(p) = a0 + a1 x + a2 y + sum w_k U(|p - c_k|).
struct Spline {
    std::vector<Point> centres;  // in spline units
    std::vector<double> weights;
    double a0 = 0, a1 = 0, a2 = 0;

    void fit(const std::vector<Point>& pts, const std::vector<double>& values, double smoothing) {
        const size_t n = pts.size(), m = n + 3;
        centres.clear();
        for (const auto& p : pts) centres.push_back({p.x / kUnit, p.y / kUnit});
        std::vector<double> a(m * m, 0.0), b(m, 0.0);
        for (size_t i = 0; i < n; ++i) {
            for (size_t j = 0; j < n; ++j)
                a[i * m + j] = kernel(centres[i].x - centres[j].x, centres[i].y - centres[j].y);
            a[i * m + i] += smoothing;
            a[i * m + n] = a[n * m + i] = 1;
            a[i * m + n + 1] = a[(n + 1) * m + i] = centres[i].x;
            a[i * m + n + 2] = a[(n + 2) * m + i] = centres[i].y;
            b[i] = values[i];
        }
        auto x = solve(std::move(a), std::move(b));
        weights.assign(x.begin(), x.begin() + long(n));
        a0 = x[n];
        a1 = x[n + 1];
        a2 = x[n + 2];
    }

    double operator()(Point p) const {
        double x = p.x / kUnit, y = p.y / kUnit;
        double v = a0 + a1 * x + a2 * y;
        for (size_t k = 0; k < centres.size(); ++k) v += weights[k] * kernel(x - centres[k].x, y - centres[k].y);
        return v;
    }
};

struct Warp {
    Spline dx, dy;
    bool active = false;
    Point operator()(Point p) const {
        if (!active) return p;
        return {p.x + dx(p), p.y + dy(p)};
    }
};

// A constraint on one box edge: the vertex q (in projected pixels) that
// should reach `target` on its axis.
struct Control {
    Point q;
    double desired;  // displacement wanted at q
};

void add_control(std::vector<Control>& list, Point q, double desired) {
    for (auto& c : list) {
        if (std::fabs(c.q.x - q.x) < 0.25 && std::fabs(c.q.y - q.y) < 0.25) {
            c.desired = 0.5 * (c.desired + desired);  // the same junction pulled two ways: meet halfway
            return;
        }
    }
    list.push_back({q, desired});
}

}  // namespace

std::vector<std::vector<Ring>> fit_map(const Boundaries& boundaries, FitReport& report) {
    const int n = int(boundaries.rings.size());
    const double kx = std::cos(36.0 * kPi / 180.0);

    // Projection, then a per-axis least-squares scale and offset onto the boxes.
    std::vector<std::vector<Ring>> rings = boundaries.rings;
    std::vector<Box> raw(n);
    for (int i = 0; i < n; ++i) {
        Box b{1e300, 1e300, -1e300, -1e300};
        for (auto& r : rings[i])
            for (auto& p : r) {
                p = {p.x * kx, -p.y};
                b.left = std::min(b.left, p.x);
                b.right = std::max(b.right, p.x);
                b.top = std::min(b.top, p.y);
                b.bottom = std::max(b.bottom, p.y);
            }
        raw[i] = b;
    }
    auto line_fit = [&](auto lo_src, auto hi_src, auto lo_dst, auto hi_dst, double& scale, double& offset) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        int m = 0;
        for (int i = 0; i < n; ++i) {
            double xs[2] = {lo_src(raw[i]), hi_src(raw[i])};
            double ys[2] = {lo_dst(drawn_box(i)), hi_dst(drawn_box(i))};
            for (int k = 0; k < 2; ++k) {
                sx += xs[k]; sy += ys[k]; sxx += xs[k] * xs[k]; sxy += xs[k] * ys[k]; ++m;
            }
        }
        scale = (m * sxy - sx * sy) / (m * sxx - sx * sx);
        offset = (sy - scale * sx) / m;
    };
    double ax, bx, ay, by;
    line_fit([](const Box& b) { return b.left; }, [](const Box& b) { return b.right; },
             [](const Box& b) { return b.left; }, [](const Box& b) { return b.right; }, ax, bx);
    line_fit([](const Box& b) { return b.top; }, [](const Box& b) { return b.bottom; },
             [](const Box& b) { return b.top; }, [](const Box& b) { return b.bottom; }, ay, by);
    report.scale_x = ax;
    report.scale_y = ay;  // per degree of latitude, downwards
    for (auto& m : rings)
        for (auto& r : m)
            for (auto& p : r) p = {ax * p.x + bx, ay * p.y + by};

    // Candidate vertices per municipality and box side: those near the
    // projected extreme, since the warp moves things by a few pixels only.
    constexpr double kBand = 30.0;
    std::vector<std::array<std::vector<Point>, 4>> cand(n);  // left, top, right, bottom
    double err_sum = 0, err_max = 0;
    for (int i = 0; i < n; ++i) {
        Box b{1e300, 1e300, -1e300, -1e300};
        for (auto& r : rings[i])
            for (auto& p : r) {
                b.left = std::min(b.left, p.x); b.right = std::max(b.right, p.x);
                b.top = std::min(b.top, p.y); b.bottom = std::max(b.bottom, p.y);
            }
        Box t = drawn_box(i);
        for (double e : {b.left - t.left, b.top - t.top, b.right - t.right, b.bottom - t.bottom}) {
            err_sum += std::fabs(e);
            err_max = std::max(err_max, std::fabs(e));
        }
        for (auto& r : rings[i])
            for (auto& p : r) {
                if (p.x < b.left + kBand) cand[i][0].push_back(p);
                if (p.y < b.top + kBand) cand[i][1].push_back(p);
                if (p.x > b.right - kBand) cand[i][2].push_back(p);
                if (p.y > b.bottom - kBand) cand[i][3].push_back(p);
            }
    }
    report.projected_max = err_max;
    report.projected_mean = err_sum / (4.0 * n);

    // Refine the warp: pin each side's current extreme vertex to its box
    // edge. Vertices that were extreme in an earlier round stay held where
    // they are (or are pushed back to the edge if they stick out), so the
    // extremes cannot swap back and forth between rounds.
    Warp warp;
    std::vector<std::array<std::vector<Point>, 4>> held(n);
    constexpr int kMaxIterations = 8;  // the residue levels off below a tenth of a pixel
    constexpr double kSmoothing = 1e-4;
    double worst = 0;
    int it = 0;
    size_t controls = 0;
    for (; it < kMaxIterations; ++it) {
        worst = 0;
        std::vector<Control> cx, cy;
        for (int i = 0; i < n; ++i) {
            Box t = drawn_box(i);
            for (int s = 0; s < 4; ++s) {
                bool is_x = (s % 2 == 0);
                bool low = (s < 2);
                double target = s == 0 ? t.left : s == 1 ? t.top : s == 2 ? t.right : t.bottom;
                double best = low ? 1e300 : -1e300;
                Point bq{0, 0};
                for (const auto& q : cand[i][s]) {
                    Point w = warp(q);
                    double v = is_x ? w.x : w.y;
                    if (low ? v < best : v > best) { best = v; bq = q; }
                }
                worst = std::max(worst, std::fabs(best - target));
                auto& h = held[i][s];
                bool known = false;
                for (const auto& q : h) known = known || (q.x == bq.x && q.y == bq.y);
                if (!known) h.push_back(bq);
                for (const auto& q : h) {
                    Point w = warp(q);
                    double v = is_x ? w.x : w.y;
                    double disp = is_x ? w.x - q.x : w.y - q.y;
                    bool extreme = (q.x == bq.x && q.y == bq.y);
                    bool outside = low ? v < target : v > target;
                    add_control(is_x ? cx : cy, q, disp + ((extreme || outside) ? target - v : 0.0));
                }
            }
        }
        if (worst < 1e-3) break;
        std::vector<Point> px, py;
        std::vector<double> vx, vy;
        for (auto& c : cx) { px.push_back(c.q); vx.push_back(c.desired); }
        for (auto& c : cy) { py.push_back(c.q); vy.push_back(c.desired); }
        warp.dx.fit(px, vx, kSmoothing);
        warp.dy.fit(py, vy, kSmoothing);
        warp.active = true;
        controls = cx.size() + cy.size();
    }
    report.iterations = it;
    report.warp_max = worst;
    report.control_points = int(controls);

    // Fold check over the map area.
    double min_j = std::numeric_limits<double>::max();
    for (double y = 0; y <= 572; y += 2)
        for (double x = 0; x <= 1024; x += 2) {
            bool on_map = false;
            for (int i = 0; i < n && !on_map; ++i) {
                Box b = drawn_box(i);
                on_map = x >= b.left && x <= b.right && y >= b.top && y <= b.bottom;
            }
            if (!on_map) continue;
            Point a = warp({x, y}), bx1 = warp({x + 1, y}), by1 = warp({x, y + 1});
            double j = (bx1.x - a.x) * (by1.y - a.y) - (bx1.y - a.y) * (by1.x - a.x);
            min_j = std::min(min_j, j);
        }
    report.min_jacobian = min_j;

    for (auto& m : rings)
        for (auto& r : m)
            for (auto& p : r) p = warp(p);

    // Snap: a per-municipality stretch of the residue onto the exact box.
    double snap = 0;
    for (int i = 0; i < n; ++i) {
        Box b{1e300, 1e300, -1e300, -1e300};
        for (auto& r : rings[i])
            for (auto& p : r) {
                b.left = std::min(b.left, p.x); b.right = std::max(b.right, p.x);
                b.top = std::min(b.top, p.y); b.bottom = std::max(b.bottom, p.y);
            }
        Box t = drawn_box(i);
        double sx = (t.right - t.left) / (b.right - b.left), sy = (t.bottom - t.top) / (b.bottom - b.top);
        for (auto& r : rings[i])
            for (auto& p : r) {
                Point q{t.left + (p.x - b.left) * sx, t.top + (p.y - b.top) * sy};
                // Exact edges, whatever the rounding of the stretch.
                if (p.x == b.left) q.x = t.left;
                if (p.x == b.right) q.x = t.right;
                if (p.y == b.top) q.y = t.top;
                if (p.y == b.bottom) q.y = t.bottom;
                snap = std::max(snap, std::max(std::fabs(q.x - p.x), std::fabs(q.y - p.y)));
                p = q;
            }
    }
    report.snap_max = snap;
    return rings;
}

}  // namespace atlas
