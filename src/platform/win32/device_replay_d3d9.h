// Recorded frames drawn on a real Direct3D 9 device: the state of the
// game's sprite batch, and the sink that replays a frame's clears and
// triangles into whichever render target is set. The device draws the
// frames it shows through it (graphics_d3d9.cpp), and the frame pictures
// draw a frame in full through it too (testing/frame_pictures_d3d9.cpp).
#pragma once

#include <d3d9.h>

#include <functional>
#include <vector>

#include "platform/frame_recorder.h"

struct SpriteVertexD3D {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kSpriteFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// What the device offers the sprite state, read once from its caps.
struct SpriteCaps {
    bool alpha_test = true;
    bool anisotropic = false;
    bool mip_linear = true;
};

// The state of the game's sprite batch, set once for every flush of the
// batch (nothing is saved or restored): screen-space quads over the
// viewport set now, texture times vertex colour, blended over the target.
void set_sprite_state(IDirect3DDevice9* device, const SpriteCaps& caps, BlendMode mode);

// The device's vertices of the batch's ones, in `scratch`.
const SpriteVertexD3D* device_vertices(const SpriteVertex* vertices, int count, std::vector<SpriteVertexD3D>& scratch);

// The device's texture of a backend handle, or null.
using TextureLookup = std::function<IDirect3DTexture9*(BackendTexture)>;

// Draws replayed commands on the device: each clear and run of triangles in
// its viewport, the triangles in a scene of their own with the sprite state
// of their blending. `target_view` is the viewport set when it starts (null:
// unknown); finish() sets it again.
class DeviceSink final : public FrameSink {
public:
    DeviceSink(IDirect3DDevice9* device, const SpriteCaps& caps, const TextureLookup& textures,
               std::vector<SpriteVertexD3D>& scratch, const D3DVIEWPORT9* target_view);

    void clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) override;
    void draw_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override;
    // Whole frames are drawn here: no clip.
    void set_clip(const PixelRect*) override {}

    // Ends the scene begun and gives the viewport back.
    void finish();

private:
    void use_view(const PixelRect& view);

    IDirect3DDevice9* device_;
    const SpriteCaps& caps_;
    const TextureLookup& textures_;
    std::vector<SpriteVertexD3D>& scratch_;
    D3DVIEWPORT9 target_view_;
    bool have_view_;
    PixelRect current_{-1, -1, -1, -1};
    bool in_scene_ = false, began_ = false;
    bool state_set_ = false;
    BlendMode state_mode_ = BlendMode::AlphaBlend;
};
