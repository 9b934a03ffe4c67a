// The texture of every platform but Windows: a texture of a render backend
// (the hosted device's, or any other, such as a test's recording one) that
// keeps its levels' description; the backend holds the one copy of the
// texels it needs. On Windows the Direct3D 9 device makes its own.
#pragma once

#include "platform/graphics.h"
#include "platform/render_backend.h"
#include "platform/sprite/texture_loader.h"

class ManagedTexture final : public IDirect3DTexture9 {
public:
    // Level 0 of the image is on the backend already; the texture keeps
    // only what it reports about the levels (their texels are freed).
    ManagedTexture(RenderBackend* backend, BackendTexture handle, const TextureImage& image);
    DWORD GetLevelCount() override;
    UINT Release() override;

    BackendTexture handle() const { return handle_; }
    int width() const { return width_; }
    int height() const { return height_; }
    D3DFORMAT format() const { return has_alpha_ ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8; }

private:
    ~ManagedTexture() override;
    RenderBackend* backend_;
    BackendTexture handle_;
    int width_, height_;
    DWORD level_count_;
    bool has_alpha_;
    UINT references_ = 1;
};

// Puts a prepared image on the backend as a texture.
HRESULT create_texture_from_image(RenderBackend* backend, TextureImage image, IDirect3DTexture9** texture);
