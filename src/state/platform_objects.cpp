#include "state/platform_objects.h"

HWND main_window = nullptr;

IDirect3D9* d3d = nullptr;
IDirect3DDevice9* device = nullptr;
D3DPRESENT_PARAMETERS present_params{};
IDirect3DTexture9* atlas_texture = nullptr;
ID3DXSprite* sprite = nullptr;

ID3DXFont* font_mincho_144_bold = nullptr;
ID3DXFont* font_gothic_28 = nullptr;
ID3DXFont* font_meiryo_64 = nullptr;
ID3DXFont* font_meiryo_32 = nullptr;
ID3DXFont* font_gothic_16a = nullptr;
ID3DXFont* font_gothic_16b = nullptr;
ID3DXFont* font_mincho_16 = nullptr;
ID3DXFont* font_gothic_16_bold = nullptr;
