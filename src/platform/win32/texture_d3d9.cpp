// The game's textures on a real Direct3D 9 device: managed, so the runtime
// keeps their texels across a device reset, with every level of the image's
// own mip chain.

#include <d3d9.h>

#include <cstring>

#include "platform/sprite/render_device.h"

HRESULT create_device_texture(IDirect3DDevice9* device, TextureImage image, IDirect3DTexture9** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || image.levels.empty()) return D3DERR_INVALIDCALL;
    const ArgbImage& top = image.levels[0];
    IDirect3DTexture9* made = nullptr;
    const HRESULT created = device->CreateTexture(
        static_cast<UINT>(top.width), static_cast<UINT>(top.height), static_cast<UINT>(image.levels.size()), 0,
        image.has_alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &made, nullptr);
    if (FAILED(created)) return created;
    // Every level of our own mip chain, so the runtime never makes its own.
    for (std::size_t level = 0; level < image.levels.size(); ++level) {
        const ArgbImage& img = image.levels[level];
        D3DLOCKED_RECT locked{};
        if (FAILED(made->LockRect(static_cast<UINT>(level), &locked, nullptr, 0))) {
            made->Release();
            return D3DERR_INVALIDCALL;
        }
        for (int row = 0; row < img.height; ++row)
            std::memcpy(static_cast<char*>(locked.pBits) + static_cast<std::ptrdiff_t>(row) * locked.Pitch,
                        img.texels.data() + static_cast<std::size_t>(row) * img.width,
                        static_cast<std::size_t>(img.width) * 4);
        made->UnlockRect(static_cast<UINT>(level));
    }
    *texture = made;
    return S_OK;
}
