// The drawing objects made at start-up and used by every frame: the device,
// the one sprite batch, the atlas and the eight fonts. The start-up that
// makes them is the game's own (shell/graphics_stage.h).
#pragma once

#include "platform/sprite/d3dx.h"

extern IDirect3D9* d3d;
extern IDirect3DDevice9* device;
extern D3DPRESENT_PARAMETERS present_params;
extern IDirect3DTexture9* atlas_texture;
extern ID3DXSprite* sprite;

extern ID3DXFont* font_mincho_144_bold;
extern ID3DXFont* font_gothic_28;
extern ID3DXFont* font_meiryo_64;
extern ID3DXFont* font_meiryo_32;
extern ID3DXFont* font_gothic_16a;
extern ID3DXFont* font_gothic_16b;
extern ID3DXFont* font_mincho_16;
extern ID3DXFont* font_gothic_16_bold;
