// The device calls of the frame and of the device-loss recovery. The game
// makes them through these functions, not through the device's own methods,
// so that each platform's device sees every frame before it is drawn: the
// Direct3D 9 device records the frame and draws it at the present only when
// it changes the picture; elsewhere the calls go straight to the device,
// which records frames itself.
#pragma once

#include "platform/graphics.h"

HRESULT device_clear(IDirect3DDevice9* device, DWORD rect_count, const D3DRECT* rects, DWORD flags,
                     D3DCOLOR colour, float z, DWORD stencil);
HRESULT device_begin_scene(IDirect3DDevice9* device);
HRESULT device_end_scene(IDirect3DDevice9* device);
HRESULT device_present(IDirect3DDevice9* device, const RECT* source, const RECT* dest, HWND override_window,
                       const RGNDATA* dirty_region);
HRESULT device_test_cooperative_level(IDirect3DDevice9* device);
HRESULT device_reset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* params);
