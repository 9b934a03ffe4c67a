// The platform objects made at start-up that the frame's code reads: the
// game's one window, the graphics device, the one sprite batch, the atlas and
// the eight fonts. They live here, below the scenes and the shell, so that
// both may read them; the start-up that makes them is the shell's
// (shell/main_window.h, shell/graphics_stage.h).
#pragma once

#include "platform/sprite/d3dx.h"
#include "platform/window.h"

extern HWND main_window;

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
