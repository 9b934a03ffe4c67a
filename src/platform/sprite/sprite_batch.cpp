#include <algorithm>
#include <cstdio>

#include "platform/sprite/render_device.h"
#include "platform/sprite/sprite_objects.h"

namespace {
D3dxDebugSink debug_sink = nullptr;

// Quads per draw call: four vertices each must stay addressable by 16-bit
// indices.
constexpr std::size_t max_quads_per_call = 16384;
constexpr DWORD known_begin_flags_limit = 256;
}  // namespace

void set_d3dx_debug_sink(D3dxDebugSink sink) { debug_sink = sink; }

void d3dx_debug_message(const char* message) {
    if (debug_sink)
        debug_sink(message);
    else
        std::fprintf(stderr, "D3DX: %s\n", message);
}

SpriteBatch::SpriteBatch(RenderBackend* backend) : backend_(backend) {}

UINT SpriteBatch::Release() {
    const UINT left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT SpriteBatch::Begin(DWORD flags) {
    if (in_pair_) {
        d3dx_debug_message("ID3DXSprite::Begin called inside a Begin/End pair");
        return D3DERR_INVALIDCALL;
    }
    if (flags >= known_begin_flags_limit) {
        d3dx_debug_message("ID3DXSprite::Begin called with invalid flags");
        return D3DERR_INVALIDCALL;
    }
    if (!buffers_ready_) {
        // Made again on the first Begin after a lost device.
        can_blend_ = backend_->blending_available();
        indices_.clear();
        buffers_ready_ = true;
    }
    flags_ = flags;
    in_pair_ = true;
    vertices_.clear();
    quad_textures_.clear();
    return S_OK;
}

HRESULT SpriteBatch::append_quad(BackendTexture texture, float x0, float y0, float x1, float y1, float u0, float v0,
                                 float u1, float v1, D3DCOLOR colour) {
    if (!in_pair_) {
        d3dx_debug_message("ID3DXSprite::Draw called outside a Begin/End pair");
        return D3DERR_INVALIDCALL;
    }
    vertices_.push_back({x0, y0, colour, u0, v0});
    vertices_.push_back({x1, y0, colour, u1, v0});
    vertices_.push_back({x1, y1, colour, u1, v1});
    vertices_.push_back({x0, y1, colour, u0, v1});
    quad_textures_.push_back(texture);
    return S_OK;
}

HRESULT SpriteBatch::Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                          const D3DXVECTOR3* position, D3DCOLOR colour) {
    if (!in_pair_) {
        d3dx_debug_message("ID3DXSprite::Draw called outside a Begin/End pair");
        return D3DERR_INVALIDCALL;
    }
    int tw = 0, th = 0;
    const BackendTexture handle = texture ? backend_texture_of(texture, tw, th) : 0;
    if (!handle) {
        d3dx_debug_message(texture ? "ID3DXSprite::Draw called with a texture of another kind"
                                   : "ID3DXSprite::Draw called with a null texture");
        return D3DERR_INVALIDCALL;
    }
    if (tw <= 0 || th <= 0) return D3DERR_INVALIDCALL;
    const RECT whole{0, 0, tw, th};
    const RECT& r = source ? *source : whole;
    const float cx = centre ? centre->x : 0.0f, cy = centre ? centre->y : 0.0f;
    const float x = (position ? position->x : 0.0f) - cx;
    const float y = (position ? position->y : 0.0f) - cy;
    const float w = static_cast<float>(r.right - r.left), h = static_cast<float>(r.bottom - r.top);
    return append_quad(handle, x, y, x + w, y + h, static_cast<float>(r.left) / tw,
                       static_cast<float>(r.top) / th, static_cast<float>(r.right) / tw,
                       static_cast<float>(r.bottom) / th, colour);
}

HRESULT SpriteBatch::End() {
    if (!in_pair_) {
        d3dx_debug_message("ID3DXSprite::End called outside a Begin/End pair");
        return D3DERR_INVALIDCALL;
    }
    const BlendMode mode =
        (flags_ & D3DXSPRITE_ALPHABLEND) && can_blend_ ? BlendMode::AlphaBlend : BlendMode::Opaque;
    const std::size_t quads = quad_textures_.size();
    const std::size_t needed = std::min(quads, max_quads_per_call) * 6;
    // Grown once and kept: the same relative pattern serves every run.
    for (std::size_t q = indices_.size() / 6; indices_.size() < needed; ++q) {
        const auto b = static_cast<std::uint16_t>(q * 4);
        indices_.insert(indices_.end(), {b, static_cast<std::uint16_t>(b + 1), static_cast<std::uint16_t>(b + 2), b,
                                         static_cast<std::uint16_t>(b + 2), static_cast<std::uint16_t>(b + 3)});
    }
    HRESULT result = S_OK;
    if (quads > 0) backend_->begin_batch(mode);
    std::size_t first = 0;
    while (first < quads) {
        const BackendTexture texture = quad_textures_[first];
        std::size_t last = first + 1;
        while (last < quads && quad_textures_[last] == texture && last - first < max_quads_per_call) ++last;
        const int count = static_cast<int>(last - first);
        if (!backend_->draw_triangles(texture, &vertices_[first * 4], count * 4, indices_.data(), count * 6, mode))
            result = E_FAIL;
        first = last;
    }
    if (quads > 0) backend_->end_batch();
    vertices_.clear();
    quad_textures_.clear();
    in_pair_ = false;
    return result;
}

void SpriteBatch::discard_pair() {
    vertices_.clear();
    quad_textures_.clear();
    in_pair_ = false;
}

HRESULT SpriteBatch::OnLostDevice() {
    // Nothing queued can reach a lost device: the open pair ends undrawn.
    discard_pair();
    vertices_.shrink_to_fit();
    quad_textures_.shrink_to_fit();
    indices_.clear();
    indices_.shrink_to_fit();
    buffers_ready_ = false;
    return S_OK;
}

HRESULT SpriteBatch::OnResetDevice() {
    discard_pair();
    can_blend_ = backend_->blending_available();
    return S_OK;
}

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
    if (!sprite) return D3DERR_INVALIDCALL;
    *sprite = nullptr;
    RenderBackend* backend = render_backend_of(device);
    if (!backend) return D3DERR_INVALIDCALL;
    *sprite = new SpriteBatch(backend);
    return S_OK;
}
