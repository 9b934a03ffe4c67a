// The graphics device the game draws through: the part of Direct3D 9 that
// start-up, the frame and the device-loss recovery call. On Windows these
// are the system's own interfaces; elsewhere platform/sdl implements them,
// with the same names and signatures, over an SDL renderer, with a
// 1024 x 768 back buffer stretched over the window's client area at present.
#pragma once

#include "platform/win_types.h"

#if defined(_WIN32)
#include <d3d9.h>
#else

#include <cstdint>

using D3DFORMAT = std::uint32_t;
constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;

enum D3DDEVTYPE : std::uint32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2 };
enum D3DSWAPEFFECT : std::uint32_t { D3DSWAPEFFECT_DISCARD = 1 };
enum D3DMULTISAMPLE_TYPE : std::uint32_t { D3DMULTISAMPLE_NONE = 0 };
enum D3DPOOL : std::uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1 };

constexpr UINT D3D_SDK_VERSION = 0x80000020u;  // as the game passes it
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

struct D3DVIEWPORT9 {
    DWORD X, Y, Width, Height;
    float MinZ, MaxZ;
};

// A rectangle to clear, in back-buffer pixels.
struct D3DRECT {
    std::int32_t x1, y1, x2, y2;
};

// The dirty region of a present; the game always passes null.
struct RGNDATA;

class IDirect3DTexture9 {
public:
    virtual DWORD GetLevelCount() = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirect3DTexture9() = default;
};

// What the sprite, font and texture code needs beyond these methods goes
// through the free functions of platform/sprite/render_device.h.
class IDirect3DDevice9 {
public:
    virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                          DWORD stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Present(const RECT* source, const RECT* dest, HWND override_window,
                            const RGNDATA* dirty_region) = 0;
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirect3DDevice9() = default;
};

class IDirect3D9 {
public:
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD behaviour,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirect3D9() = default;
};

IDirect3D9* Direct3DCreate9(UINT sdk_version);

#endif
