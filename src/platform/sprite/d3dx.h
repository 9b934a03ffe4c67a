// The sprite batch, fonts and texture loader the game draws with, under the
// names and signatures the game calls them by. They are our own code on
// every platform, declared here as plain abstract classes over the graphics
// device (see render_device.h); nothing of the system's extension library is
// used.
#pragma once

#include "platform/graphics.h"

struct D3DXVECTOR3 {
    float x, y, z;
};

// The source image's description; the game never asks for it (always null).
struct D3DXIMAGE_INFO;

constexpr DWORD D3DXSPRITE_DONOTSAVESTATE = 0x01;
constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x10;
constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

// A file that is missing, unreadable or not a valid image.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

class ID3DXSprite {
public:
    virtual HRESULT Begin(DWORD flags) = 0;
    virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                         const D3DXVECTOR3* position, D3DCOLOR colour) = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~ID3DXSprite() = default;
};

class ID3DXFont {
public:
    // Returns the height of the drawn text in pixels, 0 on failure.
    virtual int DrawTextA(ID3DXSprite* sprite, const char* text_sjis, int count, RECT* rect, DWORD format,
                          D3DCOLOR colour) = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~ID3DXFont() = default;
};

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* path, UINT width, UINT height,
                                     UINT mip_levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mip_filter, D3DCOLOR colour_key, D3DXIMAGE_INFO* source_info,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture);
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
HRESULT D3DXCreateFontA(IDirect3DDevice9* device, int height, UINT width, UINT weight, UINT mip_levels,
                        BOOL italic, DWORD charset, DWORD output_precision, DWORD quality, DWORD pitch_and_family,
                        const char* face_sjis, ID3DXFont** font);
