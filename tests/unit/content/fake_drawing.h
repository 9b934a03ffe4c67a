// A font that records what it is asked to draw and a sprite that does
// nothing, standing in for the drawing objects in tests that never open a
// window.
#pragma once

#include <string>
#include <vector>

#include "state/platform_objects.h"
#include "platform/sjis.h"

namespace content_test {

struct DrawnText {
    ID3DXSprite* sprite;
    std::string text;  // decoded to UTF-8
    int count;
    RECT rect;
    DWORD format;
    D3DCOLOR colour;
};

class RecordingFont : public ID3DXFont {
public:
    int DrawTextA(ID3DXSprite* with, const char* text_sjis, int count, RECT* rect, DWORD format,
                  D3DCOLOR colour) override {
        calls.push_back({with, cp932_to_utf8(text_sjis, count), count, rect ? *rect : RECT{}, format, colour});
        return 16;
    }
    UINT Release() override { return 0; }

    std::vector<DrawnText> calls;
};

class IdleSprite : public ID3DXSprite {
public:
    HRESULT Begin(DWORD) override { return S_OK; }
    HRESULT Draw(IDirect3DTexture9*, const RECT*, const D3DXVECTOR3*, const D3DXVECTOR3*, D3DCOLOR) override {
        return S_OK;
    }
    HRESULT End() override { return S_OK; }
    HRESULT OnLostDevice() override { return S_OK; }
    HRESULT OnResetDevice() override { return S_OK; }
    UINT Release() override { return 0; }
};

}  // namespace content_test
