// The render backend of the sprite batch, the fonts and the texture loader
// over a real Direct3D 9 device: managed textures (the runtime keeps their
// texels across a device reset), indexed triangle lists drawn from user
// memory with the sprite state the game's Begin(0x11) asks for, and a
// read-back of the back buffer through a system-memory surface.
// Each frame is recorded (clears, scene brackets, the batch's triangles),
// as the game's frame calls (platform/frame_calls.h) bring it here, and
// drawn at its present, unless it repeats the frame presented last:
// software rasterisers then spend nothing on a screen standing still, and
// the game's loop keeps the rate its update gate asks for. Frames are drawn
// through device_replay_d3d9.h. The class is declared in d3d9_backend.h;
// what only tests switch and watch in it is defined in testing/.

#include "platform/win32/d3d9_backend.h"

#include "platform/frame_calls.h"
#include "platform/win32/frame_skip.h"

namespace {

// One backend per device the game made; in practice exactly one.
std::vector<std::unique_ptr<D3d9Backend>>& backends() {
    static std::vector<std::unique_ptr<D3d9Backend>> list;
    return list;
}

}  // namespace

D3d9Backend* backend_for(IDirect3DDevice9* device) {
    for (const auto& b : backends())
        if (b->device() == device) return b.get();
    return nullptr;
}

bool message_forces_redraw(UINT message) {
    switch (message) {
        case WM_PAINT:
        case WM_SIZE:
        case WM_ACTIVATE:
        case WM_SHOWWINDOW:
        case WM_WINDOWPOSCHANGED:
        case WM_DISPLAYCHANGE:
            return true;
        default:
            return false;
    }
}

void force_redraw(HWND window) {
    for (const auto& b : backends())
        if (b->draws_into(window)) b->force_redraw();
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    if (!device) return nullptr;
    for (const auto& b : backends())
        if (b->device() == device) return b.get();
    backends().push_back(std::make_unique<D3d9Backend>(device));
    return backends().back().get();
}

void release_render_backend(IDirect3DDevice9* device) {
    auto& list = backends();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& b) { return b->device() == device; }),
               list.end());
}

BackendTexture backend_texture_of(IDirect3DTexture9* texture, int& width, int& height) {
    if (!texture) return 0;
    ComRef<IDirect3DDevice9> device;
    if (FAILED(texture->GetDevice(device.out()))) return 0;
    auto* backend = static_cast<D3d9Backend*>(render_backend_of(device.get()));
    return backend ? backend->handle_of(texture, width, height) : 0;
}

// The game's frame calls: through the device's backend where it has one.
HRESULT device_clear(IDirect3DDevice9* device, DWORD rect_count, const D3DRECT* rects, DWORD flags,
                     D3DCOLOR colour, float z, DWORD stencil) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->clear(rect_count, rects, flags, colour, z, stencil)
                   : device->Clear(rect_count, rects, flags, colour, z, stencil);
}
HRESULT device_begin_scene(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->begin_scene() : device->BeginScene();
}
HRESULT device_end_scene(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->end_scene() : device->EndScene();
}
HRESULT device_present(IDirect3DDevice9* device, const RECT* source, const RECT* dest, HWND override_window,
                       const RGNDATA* dirty_region) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->present(source, dest, override_window, dirty_region)
                   : device->Present(source, dest, override_window, dirty_region);
}
HRESULT device_test_cooperative_level(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->test_cooperative_level() : device->TestCooperativeLevel();
}
HRESULT device_reset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* params) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->reset(params) : device->Reset(params);
}
