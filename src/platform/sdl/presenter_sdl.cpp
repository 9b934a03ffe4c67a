// The presenter of the SDL backend (presenter_sdl.h): the frames the hosted
// device hands it drawn with SDL's renderer into the back buffer, and the
// back buffer stretched over the window.

#include <SDL.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>

#include "platform/sdl/presenter_sdl.h"
#include "platform/sdl/renderer_choice.h"
#include "platform/sdl/sdl_window.h"

namespace {

SDL_Rect sdl_rect(const PixelRect& r) { return {r.x, r.y, r.w, r.h}; }

bool worth_a_layer(const FramePosition& p) { return p.command > 1 || (p.command == 1 && p.index > 0); }

}  // namespace

SdlPresenter::SdlPresenter(PlatformWindow* window, SDL_Renderer* renderer) : window_(window), renderer_(renderer) {
    SDL_RendererInfo info{};
    int max_side = 8192;
    bool keep_texels = true;
    if (SDL_GetRendererInfo(renderer, &info) == 0) {
        const int side = std::min(info.max_texture_width, info.max_texture_height);
        if (side > 0) max_side = side;  // 0: no limit of its own
        // Only a GPU's textures can be lost; the software renderer's are
        // plain memory and need no second copy.
        keep_texels = (info.flags & SDL_RENDERER_SOFTWARE) == 0;
        software_ = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    }
    textures_ = std::make_unique<SdlTextures>(renderer, keep_texels, max_side);
    sink_ = std::make_unique<SdlFrameSink>(renderer, *textures_);
    SDL_AddEventWatch(&SdlPresenter::watch_events, this);
}

SdlPresenter::~SdlPresenter() {
    SDL_DelEventWatch(&SdlPresenter::watch_events, this);
    sink_.reset();
    textures_.reset();
    drop_layer();
    if (check_target_) SDL_DestroyTexture(check_target_);
    if (back_buffer_) SDL_DestroyTexture(back_buffer_);
    SDL_DestroyRenderer(renderer_);
}

HRESULT SdlPresenter::make_back_buffer(int width, int height) {
    forget_presented();
    if (back_buffer_) SDL_DestroyTexture(back_buffer_);
    back_buffer_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
    if (!back_buffer_) return D3DERR_OUTOFVIDEOMEMORY;
    SDL_SetTextureScaleMode(back_buffer_, SDL_ScaleModeLinear);
    SDL_SetTextureBlendMode(back_buffer_, SDL_BLENDMODE_NONE);
    width_ = width;
    height_ = height;
    target_back_buffer();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    return S_OK;
}

void SdlPresenter::forget_presented() {
    last_prefix_ = {};
    layer_valid_ = false;
    back_is_layer_and_tail_ = false;
    window_current_ = false;
}

HostWindowState SdlPresenter::poll_window() {
    SDL_GetRendererOutputSize(renderer_, &out_w_, &out_h_);
    HostWindowState state;
    state.resized = out_w_ != presented_w_ || out_h_ != presented_h_;
    // A resize leaves the exposure for the next present to see.
    state.exposed = !state.resized && exposed_.exchange(false);
    window_unchanged_ = !state.resized && !state.exposed;
    resized_ = state.resized;
    return state;
}

FrameDrawn SdlPresenter::draw_frame(const FrameDrawing& d) {
    FrameDrawn how;
    drawn_in_part_ = false;
    const RecordedFrame& frame = *d.frame;
    sink_->use_frame(frame);
    const bool early = !(d.drawn == FramePosition{});
    const FramePosition prefix = d.prefix;
    const FramePosition last_prefix = last_prefix_;
    last_prefix_ = prefix;
    if (d.back_buffer_kept && !early && d.presented && options_.damage_redraw && options_.cached_prefix &&
        damage_rects(frame, *d.presented, width_, height_, damage_)) {
        // The back buffer still shows the last frame: the new frame is
        // drawn again, but only inside the changed rectangles, each
        // starting from the cached layer where it holds the start of
        // this frame.
        keep_layer_up(frame, prefix <= last_prefix ? prefix : last_prefix, prefix);
        const bool from_layer = layer_valid_ && layer_at_ <= prefix && layer_at_.command > 0;
        const FramePosition start = from_layer ? layer_at_ : FramePosition{};
        for (const PixelRect& area : damage_) {
            SDL_SetRenderTarget(renderer_, back_buffer_);
            SDL_RenderSetClipRect(renderer_, nullptr);
            if (from_layer) copy_area(layer_, back_buffer_, area);
            sink_->restart();
            replay_within(frame, area, start, *sink_, picked_);
        }
        SDL_RenderSetClipRect(renderer_, nullptr);
        how.from_layer = from_layer;
        if (!(layer_at_ <= prefix)) layer_valid_ = false;
        back_is_layer_and_tail_ = false;
        how.in_part = drawn_in_part_ = true;
        return how;
    }
    if (!options_.cached_prefix || !worth_a_layer(prefix) || early || !make_layer()) {
        // Whatever the layer holds stays right only below this frame's
        // unchanged prefix.
        if (early || !(layer_at_ <= prefix)) layer_valid_ = false;
        back_is_layer_and_tail_ = false;
        target_back_buffer();
        replay(frame, d.drawn, frame.end(), *sink_);
        return how;
    }
    FramePosition start{};
    if (layer_valid_ && layer_at_ <= prefix) {
        // The back buffer holds the layer with the last frame's tail on
        // it: putting back the layer under that tail is enough.
        if (back_is_layer_and_tail_)
            copy_area(layer_, back_buffer_, tail_box_);
        else
            copy(layer_, back_buffer_);
        start = layer_at_;
        how.from_layer = true;
    }
    target_back_buffer();
    replay(frame, start, prefix, *sink_);
    if (!layer_valid_ || !(layer_at_ == prefix)) {
        copy(back_buffer_, layer_);
        layer_at_ = prefix;
        layer_valid_ = true;
        target_back_buffer();
    }
    replay(frame, prefix, frame.end(), *sink_);
    tail_box_ = area_drawn(frame, prefix, width_, height_);
    back_is_layer_and_tail_ = true;
    return how;
}

void SdlPresenter::show() {
    SDL_SetRenderTarget(renderer_, nullptr);
    SDL_RenderSetViewport(renderer_, nullptr);
    // The software renderer's window surface keeps what was copied to it
    // until the window changes (every window event, resizes included,
    // marks it exposed): when it shows the last frame at the back
    // buffer's own size, only the rectangles redrawn need copying. The
    // window's own size too: the renderer may report its output size
    // before the surface is made again for a new one.
    int window_w = 0, window_h = 0;
    SDL_GetWindowSize(sdl_window_of(window_), &window_w, &window_h);
    const bool window_same = window_w == presented_window_w_ && window_h == presented_window_h_;
    presented_window_w_ = window_w;
    presented_window_h_ = window_h;
    if (drawn_in_part_ && window_unchanged_ && window_same && window_current_ && out_w_ == width_ &&
        out_h_ == height_ && window_w == width_ && window_h == height_) {
        for (const PixelRect& area : damage_) {
            const SDL_Rect r = sdl_rect(area);
            SDL_RenderCopy(renderer_, back_buffer_, &r, &r);
        }
    } else {
        // The copy covers the whole window: nothing to clear under it.
        SDL_RenderCopy(renderer_, back_buffer_, nullptr, nullptr);  // stretched over the client area
    }
    SDL_RenderPresent(renderer_);
    window_current_ = software_;
    presented_w_ = out_w_;
    presented_h_ = out_h_;
    target_back_buffer();
#if defined(__GLIBC__)
    // The window's old surfaces were freed for the new size: give the
    // memory back rather than keep it for a size that may never return.
    if (resized_) malloc_trim(0);
#endif
}

HRESULT SdlPresenter::reset(int width, int height) {
    drop_device_textures();
    if (check_target_) SDL_DestroyTexture(check_target_), check_target_ = nullptr;
    const HRESULT made = make_back_buffer(width, height);
    if (FAILED(made)) return made;
    if (!textures_->upload_all()) return D3DERR_DEVICELOST;
    lost_ = false;
    return S_OK;
}

int SDLCALL SdlPresenter::watch_events(void* self, SDL_Event* event) {
    auto* presenter = static_cast<SdlPresenter*>(self);
    if (event->type == SDL_RENDER_TARGETS_RESET || event->type == SDL_RENDER_DEVICE_RESET)
        presenter->lost_ = true;
    if (event->type == SDL_WINDOWEVENT) presenter->exposed_ = true;  // shown, exposed, resized, restored...
    return 0;
}

void SdlPresenter::target_back_buffer() {
    SDL_SetRenderTarget(renderer_, back_buffer_);
    SDL_RenderSetViewport(renderer_, nullptr);
    sink_->restart();
}

bool SdlPresenter::read_target(SDL_Texture* target, std::vector<std::uint32_t>& argb) {
    SDL_SetRenderTarget(renderer_, target);
    SDL_RenderSetViewport(renderer_, nullptr);
    argb.resize(static_cast<std::size_t>(width_) * height_);
    const SDL_Rect all{0, 0, width_, height_};
    const bool ok = SDL_RenderReadPixels(renderer_, &all, SDL_PIXELFORMAT_ARGB8888, argb.data(), width_ * 4) == 0;
    target_back_buffer();
    return ok;
}

void SdlPresenter::drop_device_textures() {
    drop_layer();
    textures_->drop_device_textures();
}

void SdlPresenter::drop_layer() {
    if (layer_) SDL_DestroyTexture(layer_);
    layer_ = nullptr;
    layer_valid_ = false;
    back_is_layer_and_tail_ = false;
}

bool SdlPresenter::make_layer() {
    int w = 0, h = 0;
    if (layer_ && SDL_QueryTexture(layer_, nullptr, nullptr, &w, &h) == 0 && w == width_ && h == height_)
        return true;
    drop_layer();
    layer_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width_, height_);
    if (!layer_) return false;
    SDL_SetTextureBlendMode(layer_, SDL_BLENDMODE_NONE);
    return true;
}

// Brings the cached layer up to `target`, the unchanged start this frame
// shares with the last two (a held piece moving back and forth keeps
// it): drawn on from where it stands, or again from the start when it
// holds more than this frame shares with the last one.
void SdlPresenter::keep_layer_up(const RecordedFrame& frame, const FramePosition& target, const FramePosition& prefix) {
    if (layer_valid_ && !(layer_at_ <= prefix)) layer_valid_ = false;
    if (!worth_a_layer(target) || (layer_valid_ && target <= layer_at_) || !make_layer()) return;
    const FramePosition from = layer_valid_ ? layer_at_ : FramePosition{};
    SDL_SetRenderTarget(renderer_, layer_);
    sink_->restart();
    replay(frame, from, target, *sink_);
    layer_at_ = target;
    layer_valid_ = true;
}

// Copies part of one target texture onto the same place of another.
void SdlPresenter::copy_area(SDL_Texture* from, SDL_Texture* to, const PixelRect& area) {
    if (area.empty()) return;
    SDL_SetRenderTarget(renderer_, to);
    SDL_RenderSetViewport(renderer_, nullptr);
    const SDL_Rect r = sdl_rect(area);
    SDL_RenderCopy(renderer_, from, &r, &r);
}

// Copies one whole target texture onto another of the same size.
void SdlPresenter::copy(SDL_Texture* from, SDL_Texture* to) {
    SDL_SetRenderTarget(renderer_, to);
    SDL_RenderSetViewport(renderer_, nullptr);
    SDL_RenderCopy(renderer_, from, nullptr, nullptr);
}

bool host_graphics_start() {
#if defined(__GLIBC__)
    // Before the atlas, the fonts and the window's surfaces are allocated:
    // buffers of 128 KiB and more get their own mappings, given back to the
    // system when freed, so resizing the window leaves no freed surfaces
    // behind in the heap; and a heap top of more than 1 MiB free is trimmed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
    return SDL_WasInit(SDL_INIT_VIDEO) || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

HostPresenter* host_create_presenter(HWND window, HostRenderer kind, HRESULT* why) {
    *why = D3DERR_INVALIDCALL;
    if (!window || !sdl_window_of(window) || window->destroyed) return nullptr;
    *why = D3DERR_NOTAVAILABLE;
    if (SDL_GetRenderer(sdl_window_of(window))) return nullptr;  // one device per window
    SDL_Renderer* renderer = make_sdl_renderer(sdl_window_of(window), kind);
    if (!renderer) return nullptr;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_TARGETTEXTURE)) {
        SDL_DestroyRenderer(renderer);
        return nullptr;
    }
    *why = S_OK;
    return new SdlPresenter(window, renderer);
}
