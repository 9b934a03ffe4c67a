// The textures of every platform but Windows (managed_texture.h): level 0 of
// the image goes to the device's render backend, which keeps the one copy it
// needs, and the loader's levels are freed once uploaded.
#include "platform/hosted/managed_texture.h"

#include <utility>

#include "platform/sprite/render_device.h"

ManagedTexture::ManagedTexture(RenderBackend* backend, BackendTexture handle, const TextureImage& image)
    : backend_(backend),
      handle_(handle),
      width_(image.levels.empty() ? 0 : image.levels[0].width),
      height_(image.levels.empty() ? 0 : image.levels[0].height),
      level_count_(static_cast<DWORD>(image.levels.size())),
      has_alpha_(image.has_alpha) {}

ManagedTexture::~ManagedTexture() {
    if (backend_ && handle_) backend_->destroy_texture(handle_);
}

DWORD ManagedTexture::GetLevelCount() { return level_count_; }

UINT ManagedTexture::Release() {
    const UINT left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT create_texture_from_image(RenderBackend* backend, TextureImage image, IDirect3DTexture9** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!backend || image.levels.empty()) return D3DERR_INVALIDCALL;
    const ArgbImage& top = image.levels[0];
    const BackendTexture handle = backend->create_texture(top.width, top.height);
    if (!handle) return D3DERR_OUTOFVIDEOMEMORY;
    if (!backend->update_texture(handle, 0, 0, top.width, top.height, top.texels.data(), top.width)) {
        backend->destroy_texture(handle);
        return D3DERR_INVALIDCALL;
    }
    *texture = new ManagedTexture(backend, handle, image);
    return S_OK;  // the image's levels are freed here
}

HRESULT create_device_texture(IDirect3DDevice9* device, TextureImage image, IDirect3DTexture9** texture) {
    return create_texture_from_image(render_backend_of(device), std::move(image), texture);
}

BackendTexture backend_texture_of(IDirect3DTexture9* texture, int& width, int& height) {
    auto* managed = dynamic_cast<ManagedTexture*>(texture);
    if (!managed) return 0;
    width = managed->width();
    height = managed->height();
    return managed->handle();
}

