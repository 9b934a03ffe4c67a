// The narrow drawing interface under the sprite batch, the fonts and the
// texture loader: textures of 32-bit ARGB texels and indexed triangle lists
// on one texture at a time. The SDL device implements it over an SDL
// renderer; tests use a recording implementation to check what the sprite
// batch sends without any screen.
#pragma once

#include <cstdint>

// 0 is "no texture".
using BackendTexture = std::uint32_t;

// One vertex of a sprite quad: a position in back-buffer pixels (pixel
// (x, y) covers [x, x+1) x [y, y+1)), an ARGB colour that multiplies the
// texel, and texture coordinates in 0..1.
struct SpriteVertex {
    float x, y;
    std::uint32_t colour;
    float u, v;
};

enum class BlendMode : std::uint8_t {
    Opaque,     // texels replace the back buffer
    AlphaBlend  // source x SRCALPHA + destination x INVSRCALPHA
};

class RenderBackend {
public:
    virtual ~RenderBackend() = default;

    // A managed texture of width x height texels, cleared to transparent
    // black. The backend keeps a CPU copy of every texel and uploads it again
    // after a device reset, so callers never refill a texture. 0 on failure.
    virtual BackendTexture create_texture(int width, int height) = 0;
    // Replaces the texels of a sub-rectangle (x, y, width, height) from rows
    // of `pitch` texels. False if the rectangle is outside the texture.
    virtual bool update_texture(BackendTexture texture, int x, int y, int width, int height,
                                const std::uint32_t* argb, int pitch) = 0;
    virtual void destroy_texture(BackendTexture texture) = 0;

    // Draws triangles (three indices each, into `vertices`) with the
    // texture's texels times the vertex colours.
    virtual bool draw_triangles(BackendTexture texture, const SpriteVertex* vertices, int vertex_count,
                                const std::uint16_t* indices, int index_count, BlendMode mode) = 0;

    // Bracket the draws of one flush of the sprite batch, all in one blend
    // mode: a device whose drawing state is costly to set sets it once here
    // rather than for every run of triangles.
    virtual void begin_batch(BlendMode mode) {}
    virtual void end_batch() {}

    // Whether the back buffer can blend; without it the sprite batch draws
    // opaque.
    virtual bool blending_available() const = 0;
    // The largest texture side the device accepts.
    virtual int max_texture_size() const = 0;
};
