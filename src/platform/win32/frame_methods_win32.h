// The six frame methods of one live Direct3D 9 device, swapped for ours so
// that the backend sees every frame before the system draws it. Only that
// device changes; every other method and every other device stay the
// system's. C, because only C sees a method table as a record of fields.
#pragma once

#include <windows.h>
#include <d3d9.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FrameMethods {
    HRESULT(STDMETHODCALLTYPE* clear)(IDirect3DDevice9* self, DWORD rect_count, const D3DRECT* rects, DWORD flags,
                                      D3DCOLOR colour, float z, DWORD stencil);
    HRESULT(STDMETHODCALLTYPE* begin_scene)(IDirect3DDevice9* self);
    HRESULT(STDMETHODCALLTYPE* end_scene)(IDirect3DDevice9* self);
    HRESULT(STDMETHODCALLTYPE* present)(IDirect3DDevice9* self, const RECT* source, const RECT* dest,
                                        HWND override_window, const RGNDATA* dirty);
    HRESULT(STDMETHODCALLTYPE* reset)(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* params);
    HRESULT(STDMETHODCALLTYPE* test_cooperative_level)(IDirect3DDevice9* self);
} FrameMethods;

// Gives the device a copy of its method table with `ours` in place of the
// six, and fills `system` with the methods they replace. Nonzero on success;
// a device already swapped keeps its swap and reports the system's methods.
int replace_frame_methods(IDirect3DDevice9* device, const FrameMethods* ours, FrameMethods* system);

// Gives the device its own table back (before it is released).
void restore_frame_methods(IDirect3DDevice9* device);

#ifdef __cplusplus
}
#endif
