// Fitting the boundaries onto the pieces: an equirectangular projection
// scaled by least squares to the catalogue boxes, then one smooth warp of
// the whole map (a thin-plate spline per axis, refined until every
// municipality's bounding box is its piece's drawn box), then a final snap
// of the sub-pixel residue per municipality.
#pragma once

#include <vector>

#include "geodata.h"

namespace atlas {

struct Box { double left, top, right, bottom; };

// The box a municipality's shape must fill on the solved screen: its cell
// at home less the 2-pixel margin.
Box drawn_box(int municipality);

struct FitReport {
    double scale_x = 0, scale_y = 0;    // pixels per degree of x (lon cos 36°) and of latitude
    double projected_max = 0, projected_mean = 0;  // box edge error after the projection alone
    double warp_max = 0;                // box edge error after the smooth warp
    double snap_max = 0;                // largest vertex move of the final snap
    int iterations = 0;
    int control_points = 0;
    double min_jacobian = 0;            // smallest area ratio of the warp within the pieces' boxes (>0: no folds)
};

// Rings in screen pixels, indexed by catalogue row; each row's bounding
// box is exactly drawn_box(row).
std::vector<std::vector<Ring>> fit_map(const Boundaries& boundaries, FitReport& report);

}  // namespace atlas
