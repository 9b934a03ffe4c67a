// The frame calls outside Windows: the device there records its frames
// itself, so each call goes straight to its method.
#include "platform/frame_calls.h"

HRESULT device_clear(IDirect3DDevice9* device, DWORD rect_count, const D3DRECT* rects, DWORD flags,
                     D3DCOLOR colour, float z, DWORD stencil) {
    return device->Clear(rect_count, rects, flags, colour, z, stencil);
}
HRESULT device_begin_scene(IDirect3DDevice9* device) { return device->BeginScene(); }
HRESULT device_end_scene(IDirect3DDevice9* device) { return device->EndScene(); }
HRESULT device_present(IDirect3DDevice9* device, const RECT* source, const RECT* dest, HWND override_window,
                       const RGNDATA* dirty_region) {
    return device->Present(source, dest, override_window, dirty_region);
}
HRESULT device_test_cooperative_level(IDirect3DDevice9* device) { return device->TestCooperativeLevel(); }
HRESULT device_reset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* params) { return device->Reset(params); }
