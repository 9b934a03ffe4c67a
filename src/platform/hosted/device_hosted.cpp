// The graphics device of every platform but Windows: Direct3D 9's names and
// rules over a backend's presenter (host_graphics.h). Every frame is recorded
// and drawn at its present, unless it would show exactly what the window
// already shows: the same drawing on the same textures at the same window
// size, with nothing exposed since. A title screen standing still then costs
// next to nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/frame_recorder.h"
#include "platform/hosted/device_hooks.h"
#include "platform/hosted/host_graphics.h"
#include "platform/logical_screen.h"
#include "platform/sprite/render_device.h"
#include "platform/test_hooks.h"

namespace {

// The backend the sprite batch and the fonts draw through: textures go to
// the presenter, with a generation each that changes whenever its texels do;
// draws are recorded for the present.
class RecordingBackend final : public RenderBackend {
public:
    RecordingBackend(HostPresenter& presenter, FrameRecorder& recorder, const PixelRect& view)
        : presenter_(presenter), recorder_(recorder), view_(view) {}

    BackendTexture create_texture(int width, int height) override {
        const BackendTexture handle = presenter_.create_texture(width, height);
        if (handle != 0) {
            if (handle >= generations_.size()) generations_.resize(handle + 1, kNone);
            generations_[handle] = ++generation_;
        }
        return handle;
    }

    bool update_texture(BackendTexture texture, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        if (!live(texture)) return false;
        generations_[texture] = ++generation_;
        return presenter_.update_texture(texture, x, y, width, height, argb, pitch);
    }

    void destroy_texture(BackendTexture texture) override {
        if (!live(texture)) return;
        presenter_.destroy_texture(texture);
        generations_[texture] = kNone;
    }

    bool draw_triangles(BackendTexture texture, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        // A lost device accepts drawing and shows nothing, as Direct3D does.
        if (presenter_.lost()) return true;
        return live(texture) &&
               recorder_.record_triangles(view_, texture, vertices, vertex_count, indices, index_count, mode);
    }

    bool blending_available() const override { return true; }
    int max_texture_size() const override { return presenter_.max_texture_size(); }

    std::uint64_t generation_of(BackendTexture texture) const {
        return texture < generations_.size() ? generations_[texture] : kNone;
    }
    // Every texture was made again (a reset): no frame drawn before matches.
    void renew_all() {
        for (std::uint64_t& g : generations_)
            if (g != kNone) g = ++generation_;
    }

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    bool live(BackendTexture t) const { return t != 0 && t < generations_.size() && generations_[t] != kNone; }

    HostPresenter& presenter_;
    FrameRecorder& recorder_;
    const PixelRect& view_;  // the device's viewport, which draws are recorded with
    std::vector<std::uint64_t> generations_;
    std::uint64_t generation_ = 0;
};

class HostedDevice final : public IDirect3DDevice9 {
public:
    explicit HostedDevice(HostPresenter* presenter)
        : presenter_(presenter), backend_(*presenter, recorder_, view_) {}

    // Makes the back buffer for params (again, at a reset). A size of 0
    // takes the client size the game made its window with, its logical
    // screen, and writes it back: a window manager may have resized the
    // window before the device was made, and the game's picture is laid out
    // for that size.
    HRESULT make_back_buffer(D3DPRESENT_PARAMETERS* params, bool reset) {
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

    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
        if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
            viewport->X + viewport->Width > static_cast<DWORD>(width_) ||
            viewport->Y + viewport->Height > static_cast<DWORD>(height_))
            return D3DERR_INVALIDCALL;
        view_ = {static_cast<int>(viewport->X), static_cast<int>(viewport->Y), static_cast<int>(viewport->Width),
                 static_cast<int>(viewport->Height)};
        return S_OK;
    }

    HRESULT Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD) override {
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
        const bool forced = forced_;
        forced_ = false;
        HostedPresentedFrame report;
        report.presenter = presenter_.get();
        report.pictures = presenter_.get();
        report.width = width_;
        report.height = height_;
        if (!window.resized && !window.exposed && !forced && presented && whole_frame(prefix, frame, *presented)) {
            ++counts_.skipped;
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
            ++counts_.drawn;
            if (report.drawn.from_layer) ++counts_.from_layer;
            if (report.drawn.in_part) ++counts_.in_part;
        }
        end_frame(!early);
        if (after_present_ && !presenter_->lost()) {
            report.frame = recorder_.presented();
            after_present_(report);
        }
        return presenter_->lost() ? D3DERR_DEVICELOST : S_OK;
    }

    HRESULT TestCooperativeLevel() override { return presenter_->lost() ? D3DERR_DEVICENOTRESET : S_OK; }

    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
        if (!params || !params->Windowed) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        return make_back_buffer(params, true);
    }

    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

    RenderBackend* backend() { return &backend_; }
    HostPresenter* presenter() { return presenter_.get(); }

    bool read_back_buffer(std::vector<std::uint32_t>& argb, int& width, int& height) {
        if (presenter_->lost()) return false;
        // What was drawn since the last present, if anything; the present
        // draws the rest.
        const RecordedFrame& frame = recorder_.frame();
        presenter_->draw_now(frame, drawn_, frame.end());
        drawn_ = frame.end();
        if (!presenter_->read_back_buffer(argb)) return false;
        for (std::uint32_t& p : argb) p |= 0xFF000000u;  // the back buffer has no alpha (X8R8G8B8)
        width = width_;
        height = height_;
        return true;
    }

    HostedPresentCounts counts() const { return counts_; }
    void redraw_next() { forced_ = true; }
    const FrameDrawingOptions& options() const { return options_; }
    void set_options(const FrameDrawingOptions& options) {
        options_ = options;
        presenter_->set_options(options);
        recorder_.forget_presented();
    }
    void set_after_present(std::function<void(const HostedPresentedFrame&)> call) { after_present_ = std::move(call); }

private:
    ~HostedDevice() override = default;

    void end_frame(bool comparable) {
        recorder_.end_frame(comparable);
        drawn_ = {};
    }

    FrameRecorder recorder_;
    PixelRect view_;
    std::unique_ptr<HostPresenter> presenter_;
    RecordingBackend backend_;
    int width_ = 0, height_ = 0;
    bool in_scene_ = false;
    UINT references_ = 1;
    FramePosition drawn_;  // of the frame being recorded, already drawn for a read-back
    bool forced_ = false;  // the next present draws even an unchanged frame
    HostedPresentCounts counts_;
    FrameDrawingOptions options_;
    std::function<void(const HostedPresentedFrame&)> after_present_;
};

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

HostedDevice* hosted(IDirect3DDevice9* device) { return dynamic_cast<HostedDevice*>(device); }

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdk_version) {
    if (sdk_version != D3D_SDK_VERSION || fault_injected(Fault::Direct3D)) return nullptr;
    if (!host_graphics_start()) return nullptr;
    return new HostedDirect3D();
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    HostedDevice* d = hosted(device);
    return d ? d->backend() : nullptr;
}

// The device owns its backend and ends it with itself.
void release_render_backend(IDirect3DDevice9*) {}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    HostedDevice* d = hosted(device);
    return d && d->read_back_buffer(argb, width, height);
}

HostedPresentCounts hosted_present_counts(IDirect3DDevice9* device) {
    HostedDevice* d = hosted(device);
    return d ? d->counts() : HostedPresentCounts{};
}

void set_frame_drawing(IDirect3DDevice9* device, const FrameDrawingOptions& options) {
    if (HostedDevice* d = hosted(device)) d->set_options(options);
}

FrameDrawingOptions frame_drawing(IDirect3DDevice9* device) {
    HostedDevice* d = hosted(device);
    return d ? d->options() : FrameDrawingOptions{};
}

void redraw_next_present(IDirect3DDevice9* device) {
    if (HostedDevice* d = hosted(device)) d->redraw_next();
}

const char* device_renderer_name(IDirect3DDevice9* device) {
    HostedDevice* d = hosted(device);
    return d ? d->presenter()->name() : nullptr;
}

void simulate_device_loss(IDirect3DDevice9* device) {
    if (HostedDevice* d = hosted(device)) d->presenter()->simulate_loss();
}

void set_after_present(IDirect3DDevice9* device, std::function<void(const HostedPresentedFrame&)> after_present) {
    if (HostedDevice* d = hosted(device)) d->set_after_present(std::move(after_present));
}
