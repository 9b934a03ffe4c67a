// What the sprite batch, the fonts and the texture loader need from the
// graphics device beyond the Direct3D 9 methods the game itself calls.
// Implemented once per platform: over the SDL device on Linux, over a real
// Direct3D 9 device on Windows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics.h"
#include "platform/render_backend.h"
#include "platform/sprite/texture_loader.h"

// The backend the sprite batch and the fonts draw through; null for a
// device this platform did not make.
RenderBackend* render_backend_of(IDirect3DDevice9* device);
// Lets go of what the backend holds for a device the game is about to
// release (textures it registered); the next render_backend_of starts afresh.
void release_render_backend(IDirect3DDevice9* device);

// The back buffer as it stands, including what was drawn since the last
// present: ARGB rows top to bottom, alpha always opaque. For tests and
// screenshots.
bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height);

// Puts a prepared image, all its levels, on the device as a managed texture
// that survives a device reset.
HRESULT create_device_texture(IDirect3DDevice9* device, TextureImage image, IDirect3DTexture9** texture);

// The backend's texture behind a texture made by create_device_texture (or
// create_texture_from_image), with the size of its top level; 0 for any
// other texture.
BackendTexture backend_texture_of(IDirect3DTexture9* texture, int& width, int& height);
