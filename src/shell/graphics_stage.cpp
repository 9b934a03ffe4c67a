// Start-up of the drawing objects, the frame around every drawing, and
// their release at shutdown.
#include "shell/graphics_stage.h"
#include "platform/frame_calls.h"
#include "platform/release.h"
#include "platform/sprite/render_device.h"
#include "platform/faults.h"
#include "scenes/scenes.h"
#include "shell/main_window.h"
#include "ui_text.h"

namespace {

constexpr D3DCOLOR kClearColour = 0xFF0000FF;
constexpr DWORD kSpriteFlags = D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE;


struct FontSpec {
    ID3DXFont** font;
    int height;
    UINT weight;
    const char* face;
};

const FontSpec kFonts[] = {
    {&font_mincho_144_bold, 144, 700, ui_text::kFaceMincho}, {&font_gothic_28, 28, 400, ui_text::kFaceGothic},
    {&font_meiryo_64, 64, 400, ui_text::kFaceMeiryo},        {&font_meiryo_32, 32, 400, ui_text::kFaceMeiryo},
    {&font_gothic_16a, 16, 400, ui_text::kFaceGothic},       {&font_gothic_16b, 16, 400, ui_text::kFaceGothic},
    {&font_mincho_16, 16, 400, ui_text::kFaceMincho},        {&font_gothic_16_bold, 16, 700, ui_text::kFaceGothic},
};

}  // namespace

HRESULT init_graphics() {
    // The faults that let the start-up failures be tried by hand are checked
    // here, around the system's own calls, the same on every platform.
    d3d = fault_injected(Fault::Direct3D) ? nullptr : Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return E_FAIL;

    present_params = D3DPRESENT_PARAMETERS{};
    present_params.BackBufferWidth = 0;
    present_params.BackBufferHeight = 0;
    present_params.BackBufferFormat = D3DFMT_UNKNOWN;
    present_params.BackBufferCount = 1;
    present_params.MultiSampleType = D3DMULTISAMPLE_NONE;
    present_params.MultiSampleQuality = 0;
    present_params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present_params.hDeviceWindow = main_window;
    present_params.Windowed = 1;
    present_params.EnableAutoDepthStencil = 0;
    present_params.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    present_params.Flags = 0;
    present_params.FullScreen_RefreshRateInHz = 0;
    present_params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    const struct {
        D3DDEVTYPE type;
        DWORD behaviour;
    } kAttempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    bool made = false;
    for (const auto& attempt : kAttempts) {
        if (fault_injected(Fault::AnyDevice) ||
            (attempt.type == D3DDEVTYPE_HAL && fault_injected(Fault::HardwareDevice)))
            continue;
        if (SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, main_window, attempt.behaviour,
                                        &present_params, &device))) {
            made = true;
            break;
        }
    }
    if (!made) return E_FAIL;

    D3DVIEWPORT9 viewport{0, 0, present_params.BackBufferWidth, present_params.BackBufferHeight, 0.0f, 1.0f};
    if (FAILED(device->SetViewport(&viewport))) return E_FAIL;

    if (FAILED(D3DXCreateTextureFromFileExA(device, "game/bitmap.png", D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                            D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                            0xFFFFFFFF, nullptr, nullptr, &atlas_texture)))
        return E_FAIL;

    if (FAILED(D3DXCreateSprite(device, &sprite))) return E_FAIL;
    sprite->OnResetDevice();

    for (const FontSpec& spec : kFonts) {
        HRESULT hr = D3DXCreateFontA(device, spec.height, 0, spec.weight, 1, 0, SHIFTJIS_CHARSET,
                                     OUT_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, spec.face,
                                     spec.font);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

void draw_frame() {
    if (!device) return;
    device_clear(device, 0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
    if (SUCCEEDED(device_begin_scene(device))) {
        if (sprite) {
            sprite->Begin(kSpriteFlags);
            draw_scene_layers();
            sprite->End();
        }
        device_end_scene(device);
    }
    device_present(device, nullptr, nullptr, nullptr, nullptr);
}

void release_graphics() {
    if (sprite) sprite->OnLostDevice();
    release(sprite);
    release(atlas_texture);
    for (const FontSpec& spec : kFonts) release(*spec.font);
    if (device) release_render_backend(device);
    release(device);
    release(d3d);
}
