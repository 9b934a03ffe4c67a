// Turning rings into pixels: anti-aliased coverage (even-odd, exact
// horizontal spans on 16 sub-scanlines per row) and the distance of every
// pixel centre to the nearest edge, for borders and bevels.
#pragma once

#include <vector>

#include "geodata.h"

namespace atlas {

// A w x h field of floats over the region whose top-left corner is the
// source point (origin_x, origin_y), `scale` pixels per source unit.
struct Field {
    int w = 0, h = 0;
    std::vector<float> v;
    float at(int x, int y) const { return v[size_t(y) * size_t(w) + size_t(x)]; }
    float& at(int x, int y) { return v[size_t(y) * size_t(w) + size_t(x)]; }
};

struct Frame {
    double origin_x = 0, origin_y = 0, scale = 1;
    int w = 0, h = 0;
    Point to_pixels(Point p) const { return {(p.x - origin_x) * scale, (p.y - origin_y) * scale}; }
};

// Fraction of each pixel inside the rings (0..1), even-odd over all rings.
Field coverage(const std::vector<Ring>& rings, const Frame& frame);

// Distance in pixels from each pixel centre to the nearest ring edge,
// capped at `cap`.
Field edge_distance(const std::vector<Ring>& rings, const Frame& frame, float cap);

// Separable box blur applied `passes` times (three passes come close to a Gaussian).
Field blur(const Field& f, int radius, int passes);

}  // namespace atlas
