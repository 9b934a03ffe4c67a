// Our implementations of the sprite batch and the loaded texture, for the
// font code and for tests: both work over any RenderBackend, so the batch
// can be checked against a recording backend without a screen.
#pragma once

#include <vector>

#include "platform/sprite/d3dx.h"
#include "platform/render_backend.h"
#include "platform/sprite/texture_loader.h"

// Where misuse messages go ("ID3DXSprite::Draw called outside a Begin/End
// pair", ...). By default they are written to standard error; a test can
// collect them instead. Null restores the default.
using D3dxDebugSink = void (*)(const char* message);
void set_d3dx_debug_sink(D3dxDebugSink sink);
void d3dx_debug_message(const char* message);

class SpriteBatch final : public ID3DXSprite {
public:
    explicit SpriteBatch(RenderBackend* backend);
    HRESULT Begin(DWORD flags) override;
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                 const D3DXVECTOR3* position, D3DCOLOR colour) override;
    HRESULT End() override;
    HRESULT OnLostDevice() override;
    HRESULT OnResetDevice() override;
    UINT Release() override;

    // Appends a quad (x0, y0)-(x1, y1) in pixels with texture coordinates
    // (u0, v0)-(u1, v1); the fonts lay their glyphs out through this.
    HRESULT append_quad(BackendTexture texture, float x0, float y0, float x1, float y1, float u0, float v0,
                        float u1, float v1, D3DCOLOR colour);
    bool in_pair() const { return in_pair_; }
    std::size_t queued_quads() const { return quad_textures_.size(); }
    RenderBackend* backend() const { return backend_; }

private:
    ~SpriteBatch() override = default;
    void discard_pair();

    RenderBackend* backend_;
    UINT references_ = 1;
    bool in_pair_ = false;
    bool buffers_ready_ = false;
    bool can_blend_ = true;
    DWORD flags_ = 0;
    std::vector<SpriteVertex> vertices_;        // four per quad
    std::vector<BackendTexture> quad_textures_;  // one per quad
    std::vector<std::uint16_t> indices_;        // 0 1 2 0 2 3, 4 5 6 4 6 7, ...
};

// Fonts over a backend (D3DXCreateFontA is this with the device's backend).
HRESULT create_font(RenderBackend* backend, int height, UINT weight, const char* face_sjis, ID3DXFont** font);
