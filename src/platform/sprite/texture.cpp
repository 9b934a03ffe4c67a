// Textures made from files: the shared loader prepares the image (decode,
// size, colour key, mip chain) and the device puts it on itself
// (create_device_texture: hosted/texture_hosted.cpp, win32/texture_d3d9.cpp).
#include <cstdio>

#include "platform/sprite/render_device.h"
#include "platform/sprite/sprite_objects.h"

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* path, UINT width, UINT height,
                                     UINT mip_levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mip_filter, D3DCOLOR colour_key, D3DXIMAGE_INFO* source_info,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    RenderBackend* backend = render_backend_of(device);
    if (!backend || !path) return D3DERR_INVALIDCALL;

    TextureRequest request;
    request.width = width;
    request.height = height;
    request.mip_levels = mip_levels;
    request.colour_key = colour_key;
    request.max_texture_size = backend->max_texture_size();
    TextureImage image;
    const ImageError error = load_texture_image(path, request, image);
    if (error != ImageError::None) {
        char message[512];
        std::snprintf(message, sizeof message, "D3DXCreateTextureFromFileExA: %s: %s", path, image_error_text(error));
        d3dx_debug_message(message);
        return error == ImageError::OutOfMemory ? E_OUTOFMEMORY : D3DXERR_INVALIDDATA;
    }
    return create_device_texture(device, std::move(image), texture);
}
