// The graphics device of every platform but Windows as its two users see
// it: the hosted layer, which implements Direct3D 9's names with it
// (device_hosted.cpp), and the hosted layer's test part (testing/), which
// reads it. The game reaches it only through IDirect3DDevice9.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/frame_pictures.h"
#include "platform/frame_recorder.h"
#include "platform/graphics.h"
#include "platform/hosted/host_graphics.h"
#include "platform/sprite/render_backend.h"

// What a present just did: the shared record (its pictures are set by the
// one who looks at them) and how the presenter drew it.
struct HostedPresentedFrame : PresentedFrame {
    HostPresenter* presenter = nullptr;
    FrameDrawn drawn;
};

// What a test build attaches to a device (testing/device_hooks.cpp); the
// game never attaches one.
class DeviceProbe {
public:
    virtual ~DeviceProbe() = default;
    // Asked at every present that is not lost: true makes it draw even an
    // unchanged frame.
    virtual bool redraw_this_present() = 0;
    // After every present that was not lost when it began; `lost` says
    // whether the device was lost by its end.
    virtual void presented(const HostedPresentedFrame& frame, bool lost) = 0;
};

// The backend the sprite batch and the fonts draw through: textures go to
// the presenter, with a generation each that changes whenever its texels do;
// draws are recorded for the present.
class HostedRenderBackend final : public RenderBackend {
public:
    HostedRenderBackend(HostPresenter& presenter, FrameRecorder& recorder, const PixelRect& view)
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
    explicit HostedDevice(HostPresenter* presenter);

    // Makes the back buffer for params (again, at a reset). A size of 0
    // takes the client size the game made its window with, its logical
    // screen, and writes it back: a window manager may have resized the
    // window before the device was made, and the game's picture is laid out
    // for that size.
    HRESULT make_back_buffer(D3DPRESENT_PARAMETERS* params, bool reset);

    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* source, const RECT* dest, HWND window, const RGNDATA* dirty) override;
    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    UINT Release() override;

    RenderBackend* backend() { return &backend_; }
    HostPresenter* presenter() { return presenter_.get(); }
    FrameRecorder& recorder() { return recorder_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Of the frame being recorded, what was drawn already for a read-back;
    // the present draws the rest.
    FramePosition& drawn_early() { return drawn_; }
    std::unique_ptr<DeviceProbe>& probe() { return probe_; }

private:
    ~HostedDevice() override = default;
    void end_frame(bool comparable);

    FrameRecorder recorder_;
    PixelRect view_;
    std::unique_ptr<HostPresenter> presenter_;
    HostedRenderBackend backend_;
    int width_ = 0, height_ = 0;
    bool in_scene_ = false;
    UINT references_ = 1;
    FramePosition drawn_;
    std::unique_ptr<DeviceProbe> probe_;  // after the presenter: it goes first
};

// The hosted device behind a device, or null for another.
HostedDevice* hosted_device(IDirect3DDevice9* device);
