// The mascot portraits: each look drawn as a small character from parts
// (body, face, head wear, signature item) in one style -- dark outline,
// flat colours with one shade -- supersampled into a 32 x 32 picture.
#pragma once

#include <array>
#include <stdexcept>
#include <string>

#include "looks.h"

namespace portraits {

struct Pixel { float r, g, b, a; };  // 0..255 colour, 0..1 alpha, straight
using Picture = std::array<Pixel, 32 * 32>;

// Throws std::runtime_error for a body, head or item the painter does not know.
Picture paint_portrait(const Look& look);

}  // namespace portraits
