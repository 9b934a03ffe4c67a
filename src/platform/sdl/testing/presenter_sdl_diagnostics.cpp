// What tests ask of the SDL presenter (hosted/presenter_diagnostics.h):
// read-backs of its targets and the window, a full drawing of a frame, the
// savings of its drawing turned off, and a simulated GPU reset. Only test
// builds link this.
#include "platform/hosted/presenter_diagnostics.h"
#include "platform/sdl/presenter_sdl.h"
#include "platform/sdl/sdl_window.h"

struct SdlPresenterTesting {
    static SdlPresenter& of(HostPresenter& presenter) { return static_cast<SdlPresenter&>(presenter); }

    static const char* name(SdlPresenter& p) {
        SDL_RendererInfo info{};
        return SDL_GetRendererInfo(p.renderer_, &info) == 0 && info.name ? info.name : "";
    }

    static void set_options(SdlPresenter& p, const FrameDrawingOptions& options) {
        p.options_ = options;
        p.sink_->opaque_shortcut = options.opaque_shortcut;
        p.forget_presented();
    }

    static void draw_now(SdlPresenter& p, const RecordedFrame& frame, FramePosition from, FramePosition to) {
        if (!(from == to)) p.back_is_layer_and_tail_ = false;
        p.target_back_buffer();
        p.sink_->use_frame(frame);
        replay(frame, from, to, *p.sink_);
    }

    static bool read_back_buffer(SdlPresenter& p, std::vector<std::uint32_t>& argb) {
        return p.back_buffer_ && p.read_target(p.back_buffer_, argb);
    }

    static bool draw_in_full(SdlPresenter& p, const RecordedFrame& frame, std::vector<std::uint32_t>& argb) {
        if (!p.check_target_) {
            p.check_target_ = SDL_CreateTexture(p.renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                                p.width_, p.height_);
            if (!p.check_target_) return false;
        }
        SDL_SetRenderTarget(p.renderer_, p.check_target_);
        p.sink_->restart();
        p.sink_->opaque_shortcut = false;
        p.sink_->use_frame(frame);
        replay(frame, {}, frame.end(), *p.sink_);
        p.sink_->opaque_shortcut = p.options_.opaque_shortcut;
        return p.read_target(p.check_target_, argb);
    }

    static bool read_window(SdlPresenter& p, std::vector<std::uint32_t>& argb) {
        int w = 0, h = 0, window_w = 0, window_h = 0;
        SDL_GetWindowSize(sdl_window_of(p.window_), &window_w, &window_h);
        if (!p.window_current_ || SDL_GetRendererOutputSize(p.renderer_, &w, &h) != 0 || w != p.width_ ||
            h != p.height_ || window_w != p.width_ || window_h != p.height_)
            return false;
        return p.read_target(nullptr, argb);
    }

    // Drops what a real reset drops (the textures of a GPU renderer, the
    // cached layer; the software renderer's textures are plain memory and
    // stay) and raises SDL's render-device-reset event.
    static void simulate_loss(SdlPresenter& p) {
        p.drop_device_textures();
        SDL_Event event{};
        event.type = SDL_RENDER_DEVICE_RESET;
        SDL_PushEvent(&event);
        p.lost_ = true;  // also when the event queue is not running
    }
};

namespace {
using T = SdlPresenterTesting;
}

const char* presenter_name(HostPresenter& p) { return T::name(T::of(p)); }
void set_presenter_options(HostPresenter& p, const FrameDrawingOptions& o) { T::set_options(T::of(p), o); }
void presenter_draw_now(HostPresenter& p, const RecordedFrame& frame, FramePosition from, FramePosition to) {
    T::draw_now(T::of(p), frame, from, to);
}
bool presenter_read_back_buffer(HostPresenter& p, std::vector<std::uint32_t>& argb) {
    return T::read_back_buffer(T::of(p), argb);
}
bool presenter_draw_in_full(HostPresenter& p, const RecordedFrame& frame, std::vector<std::uint32_t>& argb) {
    return T::draw_in_full(T::of(p), frame, argb);
}
bool presenter_read_window(HostPresenter& p, std::vector<std::uint32_t>& argb) {
    return T::read_window(T::of(p), argb);
}
void presenter_simulate_loss(HostPresenter& p) { T::simulate_loss(T::of(p)); }
