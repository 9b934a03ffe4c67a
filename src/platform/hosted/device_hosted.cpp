// The graphics device of every platform but Windows: Direct3D 9's names and
// rules over a backend's presenter (host_graphics.h). Every frame is recorded
// and drawn at its present, unless it would show exactly what the window
// already shows: the same drawing on the same textures at the same window
// size, with nothing exposed since. A title screen standing still then costs
// next to nothing.
#include "platform/hosted/device_hosted.h"

#include "platform/logical_screen.h"
#include "platform/sprite/render_device.h"
#include "platform/test_hooks.h"

HostedDevice::HostedDevice(HostPresenter* presenter)
    : presenter_(presenter), backend_(*presenter, recorder_, view_) {}

HRESULT HostedDevice::make_back_buffer(D3DPRESENT_PARAMETERS* params, bool reset) {
    if (params->BackBufferWidth == 0) params->BackBufferWidth = kLogicalWidth;
    if (params->BackBufferHeight == 0) params->BackBufferHeight = kLogicalHeight;
    if (params->BackBufferFormat == D3DFMT_UNKNOWN) params->BackBufferFormat = D3DFMT_X8R8G8B8;
    const int w = static_cast<int>(params->BackBufferWidth), h = static_cast<int>(params->BackBufferHeight);
    const int max_side = presenter_->max_texture_size();
    if (w <= 0 || h <= 0 || w > max_side || h > max_side) return D3DERR_INVALIDCALL;
    recorder_.forget_presented();
    const HRESULT made = reset ? presenter_->reset(w, h) : presenter_->make_back_buffer(w, h);
    if (reset) backend_.renew_all();
    if (made == D3DERR_OUTOFVIDEOMEMORY) return made;
    width_ = w;
    height_ = h;
    view_ = {0, 0, w, h};
    return made;
}

HRESULT HostedDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
        viewport->X + viewport->Width > static_cast<DWORD>(width_) ||
        viewport->Y + viewport->Height > static_cast<DWORD>(height_))
        return D3DERR_INVALIDCALL;
    view_ = {static_cast<int>(viewport->X), static_cast<int>(viewport->Y), static_cast<int>(viewport->Width),
             static_cast<int>(viewport->Height)};
    return S_OK;
}

HRESULT HostedDevice::Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD) {
    if (rect_count > 0 && !rects) return D3DERR_INVALIDCALL;
    if (presenter_->lost()) return S_OK;  // as on a lost device: accepted, nothing happens
    if (!(flags & D3DCLEAR_TARGET)) return S_OK;
    if (rect_count == 0) {
        recorder_.record_clear(view_, {0, 0, view_.w, view_.h}, colour);
        return S_OK;
    }
    for (DWORD i = 0; i < rect_count; ++i) {
        const PixelRect area{rects[i].x1 - view_.x, rects[i].y1 - view_.y, rects[i].x2 - rects[i].x1,
                             rects[i].y2 - rects[i].y1};
        if (!area.empty()) recorder_.record_clear(view_, area, colour);
    }
    return S_OK;
}

HRESULT HostedDevice::BeginScene() {
    if (in_scene_) return D3DERR_INVALIDCALL;
    in_scene_ = true;
    return S_OK;
}

HRESULT HostedDevice::EndScene() {
    if (!in_scene_) return D3DERR_INVALIDCALL;
    in_scene_ = false;
    return S_OK;
}

HRESULT HostedDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    if (presenter_->lost()) {
        end_frame(false);
        presenter_->forget_presented();
        return D3DERR_DEVICELOST;
    }
    const HostWindowState window = presenter_->poll_window();
    recorder_.stamp_generations([this](BackendTexture t) { return backend_.generation_of(t); });
    const RecordedFrame& frame = recorder_.frame();
    const RecordedFrame* presented = recorder_.presented();
    // A frame partly drawn before the present (a read-back) may have met
    // other texels: it is no prefix for the next one, nor has one.
    const bool early = !(drawn_ == FramePosition{});
    const FramePosition prefix =
        presented && !early ? unchanged_prefix(frame, *presented, width_, height_) : FramePosition{};
    const bool forced = probe_ && probe_->redraw_this_present();
    HostedPresentedFrame report;
    report.presenter = presenter_.get();
    report.width = width_;
    report.height = height_;
    if (!window.resized && !window.exposed && !forced && presented && whole_frame(prefix, frame, *presented)) {
        report.skipped = true;
    } else {
        FrameDrawing drawing;
        drawing.frame = &frame;
        drawing.presented = presented;
        drawing.prefix = prefix;
        drawing.drawn = drawn_;
        // After a resize the back buffer is drawn in full: nothing of the
        // window's old picture is trusted.
        drawing.back_buffer_kept = !window.resized;
        report.drawn = presenter_->draw_frame(drawing);
        presenter_->show();
    }
    end_frame(!early);
    if (probe_) {
        report.frame = recorder_.presented();
        probe_->presented(report, presenter_->lost());
    }
    return presenter_->lost() ? D3DERR_DEVICELOST : S_OK;
}

HRESULT HostedDevice::TestCooperativeLevel() { return presenter_->lost() ? D3DERR_DEVICENOTRESET : S_OK; }

HRESULT HostedDevice::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params || !params->Windowed) return D3DERR_INVALIDCALL;
    in_scene_ = false;
    return make_back_buffer(params, true);
}

UINT HostedDevice::Release() {
    const UINT left = --references_;
    if (left == 0) delete this;
    return left;
}

void HostedDevice::end_frame(bool comparable) {
    recorder_.end_frame(comparable);
    drawn_ = {};
}

namespace {

class HostedDirect3D final : public IDirect3D9 {
public:
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!params || adapter != D3DADAPTER_DEFAULT || !params->Windowed) return D3DERR_INVALIDCALL;
        if (!(behaviour & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
            return D3DERR_INVALIDCALL;
        if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
        const HostRenderer kind = type == D3DDEVTYPE_REF ? HostRenderer::Software
                                  : (behaviour & D3DCREATE_HARDWARE_VERTEXPROCESSING) ? HostRenderer::Accelerated
                                                                                      : HostRenderer::AnyAccelerated;
        HWND window = params->hDeviceWindow ? params->hDeviceWindow : focus_window;
        HRESULT why = D3DERR_NOTAVAILABLE;
        HostPresenter* presenter = host_create_presenter(window, kind, &why);
        if (!presenter) return why;
        auto* made = new HostedDevice(presenter);
        const HRESULT result = made->make_back_buffer(params, false);
        if (FAILED(result)) {
            made->Release();
            return result;
        }
        *device = made;
        return S_OK;
    }

    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    ~HostedDirect3D() override = default;
    UINT references_ = 1;
};

}  // namespace

HostedDevice* hosted_device(IDirect3DDevice9* device) { return dynamic_cast<HostedDevice*>(device); }

IDirect3D9* Direct3DCreate9(UINT sdk_version) {
    if (sdk_version != D3D_SDK_VERSION || fault_injected(Fault::Direct3D)) return nullptr;
    if (!host_graphics_start()) return nullptr;
    return new HostedDirect3D();
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    HostedDevice* d = hosted_device(device);
    return d ? d->backend() : nullptr;
}

// The device owns its backend and ends it with itself.
void release_render_backend(IDirect3DDevice9*) {}

