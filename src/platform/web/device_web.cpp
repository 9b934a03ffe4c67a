// The graphics device in the browser: IDirect3D9 and IDirect3DDevice9 over
// the WebGL backend. The frame is drawn into the 1024 x 768 back buffer as
// the game issues it and stretched over the canvas at Present; a context the
// browser drops makes the device lost until Reset finds it restored.
#include <memory>

#include "platform/logical_screen.h"
#include "platform/sprite/render_device.h"
#include "platform/web/web_page.h"
#include "platform/web/webgl_backend.h"

namespace {

class WebDevice final : public IDirect3DDevice9 {
public:
    explicit WebDevice(std::unique_ptr<WebGlBackend> backend) : backend_(std::move(backend)) {}

    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override { return viewport ? S_OK : D3DERR_INVALIDCALL; }
    HRESULT Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD) override {
        if (!(flags & D3DCLEAR_TARGET)) return S_OK;
        if (rect_count == 0 || !rects) {
            backend_->clear(colour);
        } else {
            for (DWORD i = 0; i < rect_count; ++i)
                backend_->clear_rect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2, colour);
        }
        return S_OK;
    }
    HRESULT BeginScene() override {
        if (in_scene_) return D3DERR_INVALIDCALL;
        in_scene_ = true;
        return S_OK;
    }
    HRESULT EndScene() override {
        if (!in_scene_) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        return S_OK;
    }
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
        if (backend_->lost()) return D3DERR_DEVICELOST;
        backend_->present();
        ++presents_;
        return S_OK;
    }
    HRESULT TestCooperativeLevel() override {
        if (!backend_->lost()) return S_OK;
        return backend_->restorable() ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
    }
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
        if (!params) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        return backend_->reset() ? S_OK : D3DERR_DEVICELOST;
    }
    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

    WebGlBackend* backend() { return backend_.get(); }
    unsigned long presents() const { return presents_; }

private:
    ~WebDevice() override = default;
    std::unique_ptr<WebGlBackend> backend_;
    bool in_scene_ = false;
    unsigned long presents_ = 0;
    UINT references_ = 1;
};

class WebDirect3D final : public IDirect3D9 {
public:
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** device) override {
        if (!device || !params) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (adapter != D3DADAPTER_DEFAULT || !focus_window) return D3DERR_INVALIDCALL;
        // The browser gives one kind of device: WebGL, on the GPU or on its
        // own software rasteriser. The reference kind is the same device.
        (void)type;
        auto backend = WebGlBackend::create(kCanvasSelector, kLogicalWidth, kLogicalHeight);
        if (!backend) return D3DERR_NOTAVAILABLE;
        params->BackBufferWidth = kLogicalWidth;
        params->BackBufferHeight = kLogicalHeight;
        params->BackBufferFormat = D3DFMT_X8R8G8B8;
        *device = new WebDevice(std::move(backend));
        return S_OK;
    }
    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    ~WebDirect3D() override = default;
    UINT references_ = 1;
};

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdk_version) {
    if (sdk_version != D3D_SDK_VERSION) return nullptr;
    return new WebDirect3D;
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    auto* web = dynamic_cast<WebDevice*>(device);
    return web ? web->backend() : nullptr;
}

void release_render_backend(IDirect3DDevice9*) {}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    auto* web = dynamic_cast<WebDevice*>(device);
    if (!web || !web->backend()->read_back(argb)) return false;
    width = web->backend()->width();
    height = web->backend()->height();
    return true;
}
