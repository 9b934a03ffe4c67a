// The graphics device over an SDL renderer. The back buffer is a render
// target texture of the size fixed at creation; Present stretches it over
// the window. Every texture is managed: the backend keeps its texels and
// uploads them again after a device reset, so the game never reloads files.

#include "platform/sdl/graphics_sdl.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/sdl_window.h"
#include "platform/sprite/render_device.h"
#include "platform/test_hooks.h"

namespace {

unsigned refusal_flags = RefuseNone;
bool refusal_read_from_environment = false;

unsigned current_refusal() {
    if (!refusal_read_from_environment) {
        refusal_read_from_environment = true;
        if (const char* v = std::getenv("POKOMARU_REFUSE_RENDERERS")) {
            if (std::strcmp(v, "accelerated") == 0) refusal_flags |= RefuseAccelerated;
            if (std::strcmp(v, "all") == 0) refusal_flags |= RefuseAccelerated | RefuseSoftware;
        }
    }
    unsigned injected = RefuseNone;
    if (fault_injected(Fault::HardwareDevice)) injected |= RefuseAccelerated;
    if (fault_injected(Fault::AnyDevice)) injected |= RefuseAccelerated | RefuseSoftware;
    return refusal_flags | injected;
}

class SdlBackend final : public RenderBackend {
public:
    struct Entry {
        bool used = false;
        int width = 0, height = 0;
        std::vector<std::uint32_t> texels;  // the managed copy
        SDL_Texture* texture = nullptr;
    };

    SDL_Renderer* renderer = nullptr;
    int max_side = 8192;
    std::atomic<bool> lost{false};  // set by the event watch

    ~SdlBackend() override { drop_device_textures(); }

    BackendTexture create_texture(int width, int height) override {
        if (width <= 0 || height <= 0 || width > max_side || height > max_side) return 0;
        std::size_t slot = 0;
        while (slot < entries_.size() && entries_[slot].used) ++slot;
        if (slot == entries_.size()) entries_.emplace_back();
        Entry& e = entries_[slot];
        e.used = true;
        e.width = width;
        e.height = height;
        e.texels.assign(static_cast<std::size_t>(width) * height, 0);
        ++texture_generation_;
        if (!upload(e)) {
            e = Entry{};
            return 0;
        }
        return static_cast<BackendTexture>(slot + 1);
    }

    bool update_texture(BackendTexture handle, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        Entry* e = find(handle);
        if (!e || !argb || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > e->width ||
            y + height > e->height || pitch < width)
            return false;
        ++texture_generation_;
        for (int row = 0; row < height; ++row)
            std::memcpy(&e->texels[static_cast<std::size_t>(y + row) * e->width + x],
                        argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(width) * 4);
        if (!e->texture) return true;  // uploaded whole at the reset
        const SDL_Rect area{x, y, width, height};
        return SDL_UpdateTexture(e->texture, &area, &e->texels[static_cast<std::size_t>(y) * e->width + x],
                                 e->width * 4) == 0;
    }

    void destroy_texture(BackendTexture handle) override {
        if (Entry* e = find(handle)) {
            ++texture_generation_;
            if (e->texture) SDL_DestroyTexture(e->texture);
            *e = Entry{};
        }
    }

    bool draw_triangles(BackendTexture handle, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        // A lost device accepts drawing and shows nothing, as Direct3D does.
        if (lost) return true;
        if (!renderer) return false;
        Entry* e = find(handle);
        if (!e || !e->texture || vertex_count <= 0 || index_count <= 0 || !vertices || !indices) return false;
        for (int i = 0; i < index_count; ++i)
            if (indices[i] >= vertex_count) return false;
        FrameCommand c{};
        c.kind = FrameCommand::Triangles;
        c.view = view;
        c.texture = handle;
        c.mode = mode;
        c.first_vertex = static_cast<int>(frame_.vertices.size());
        c.vertex_count = vertex_count;
        c.first_index = static_cast<int>(frame_.indices.size());
        c.index_count = index_count;
        for (int i = 0; i < vertex_count; ++i) {
            const SpriteVertex& v = vertices[i];
            SDL_Vertex o;
            o.position = {v.x, v.y};
            o.color = {static_cast<Uint8>(v.colour >> 16), static_cast<Uint8>(v.colour >> 8),
                       static_cast<Uint8>(v.colour), static_cast<Uint8>(v.colour >> 24)};
            o.tex_coord = {v.u, v.v};
            frame_.vertices.push_back(o);
        }
        frame_.indices.insert(frame_.indices.end(), indices, indices + index_count);
        frame_.commands.push_back(c);
        return true;
    }

    // A fill of the back buffer (Clear), relative to the viewport.
    void fill(const SDL_Rect& area, D3DCOLOR colour) {
        FrameCommand c{};
        c.kind = FrameCommand::Fill;
        c.view = view;
        c.area = area;
        c.colour = colour;
        frame_.commands.push_back(c);
    }

    // Whether the frame drawn since the last present covers the whole back
    // buffer first and is the same, call for call and texel for texel, as
    // the frame presented last: then it would show the same picture.
    bool same_as_presented(int back_width, int back_height) const {
        if (!presented_valid_ || texture_generation_ != presented_generation_) return false;
        if (frame_.commands.empty()) return false;
        const FrameCommand& first = frame_.commands.front();
        if (first.kind != FrameCommand::Fill || first.view.x != 0 || first.view.y != 0 || first.area.x > 0 ||
            first.area.y > 0 || first.area.x + first.area.w < back_width || first.area.y + first.area.h < back_height ||
            first.view.w < back_width || first.view.h < back_height)
            return false;
        return frame_ == presented_;
    }

    // Draws what was recorded since the last replay into the current render
    // target (a read-back in the middle of a frame replays what came before
    // it; the present draws the rest).
    void replay() {
        if (!renderer) return;
        SDL_Rect current{-1, -1, -1, -1};
        for (; replayed_ < frame_.commands.size(); ++replayed_) {
            const FrameCommand& c = frame_.commands[replayed_];
            if (!same_rect(c.view, current)) {
                SDL_RenderSetViewport(renderer, &c.view);
                current = c.view;
            }
            if (c.kind == FrameCommand::Fill) {
                SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
                SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(c.colour >> 16), static_cast<Uint8>(c.colour >> 8),
                                       static_cast<Uint8>(c.colour), 255);
                SDL_RenderFillRect(renderer, &c.area);
                continue;
            }
            Entry* e = find(c.texture);
            if (!e || !e->texture) continue;
            SDL_SetTextureBlendMode(e->texture,
                                    c.mode == BlendMode::AlphaBlend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
            SDL_RenderGeometry(renderer, e->texture, &frame_.vertices[c.first_vertex], c.vertex_count,
                               &frame_.indices[c.first_index], c.index_count);
        }
    }

    // Ends the frame: what was drawn becomes the presented frame, and the
    // next frame starts empty (the storage is kept, so frames allocate
    // nothing once the game runs).
    void end_frame(bool presented) {
        if (presented) {
            std::swap(frame_, presented_);
            presented_valid_ = true;
            presented_generation_ = texture_generation_;
        }
        frame_.clear();
        replayed_ = 0;
    }

    void forget_presented() { presented_valid_ = false; }

    SDL_Rect view{0, 0, 0, 0};  // the viewport commands are recorded with

    bool blending_available() const override { return true; }
    int max_texture_size() const override { return max_side; }

    // Forgets the device side of every texture (their texels stay).
    void drop_device_textures() {
        for (Entry& e : entries_)
            if (e.texture) SDL_DestroyTexture(e.texture), e.texture = nullptr;
    }

    // Makes the device side of every texture again from its texels.
    bool upload_all() {
        ++texture_generation_;
        presented_valid_ = false;
        bool ok = true;
        for (Entry& e : entries_)
            if (e.used && !upload(e)) ok = false;
        return ok;
    }

private:
    Entry* find(BackendTexture handle) {
        if (handle == 0 || handle > entries_.size() || !entries_[handle - 1].used) return nullptr;
        return &entries_[handle - 1];
    }

    bool upload(Entry& e) {
        if (!renderer) return false;
        if (e.texture) SDL_DestroyTexture(e.texture);
        e.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, e.width, e.height);
        if (!e.texture) return false;
        SDL_SetTextureScaleMode(e.texture, SDL_ScaleModeLinear);
        return SDL_UpdateTexture(e.texture, nullptr, e.texels.data(), e.width * 4) == 0;
    }

    struct FrameCommand {
        enum Kind { Fill, Triangles } kind;
        SDL_Rect view;
        SDL_Rect area;
        D3DCOLOR colour;
        BackendTexture texture;
        BlendMode mode;
        int first_vertex, vertex_count, first_index, index_count;

        bool operator==(const FrameCommand& o) const {
            if (kind != o.kind || !same_rect(view, o.view)) return false;
            if (kind == Fill) return same_rect(area, o.area) && colour == o.colour;
            return texture == o.texture && mode == o.mode && first_vertex == o.first_vertex &&
                   vertex_count == o.vertex_count && first_index == o.first_index && index_count == o.index_count;
        }
    };

    struct Frame {
        std::vector<FrameCommand> commands;
        std::vector<SDL_Vertex> vertices;
        std::vector<int> indices;

        void clear() {
            commands.clear();
            vertices.clear();
            indices.clear();
        }
        bool operator==(const Frame& o) const {
            return commands == o.commands && indices == o.indices && vertices.size() == o.vertices.size() &&
                   (vertices.empty() ||
                    std::memcmp(vertices.data(), o.vertices.data(), vertices.size() * sizeof(SDL_Vertex)) == 0);
        }
    };

    static bool same_rect(const SDL_Rect& a, const SDL_Rect& b) {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    }

    std::vector<Entry> entries_;
    Frame frame_;      // drawn since the last present
    Frame presented_;  // what the last present showed
    bool presented_valid_ = false;
    std::size_t replayed_ = 0;  // commands of frame_ already drawn
    std::uint64_t texture_generation_ = 0;
    std::uint64_t presented_generation_ = 0;
};

class SdlDevice final : public IDirect3DDevice9 {
public:
    SdlDevice(PlatformWindow* window, SDL_Renderer* renderer) : window_(window) {
        backend_.renderer = renderer;
        SDL_RendererInfo info{};
        if (SDL_GetRendererInfo(renderer, &info) == 0) {
            name_ = info.name ? info.name : "";
            const int side = std::min(info.max_texture_width, info.max_texture_height);
            if (side > 0) backend_.max_side = side;  // 0: no limit of its own
        }
        SDL_AddEventWatch(&SdlDevice::watch_events, this);
    }

    // Makes the back buffer for params (a size of 0 takes the window's
    // client size and writes it back).
    HRESULT make_back_buffer(D3DPRESENT_PARAMETERS* params) {
        if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0) {
            int w = 0, h = 0;
            SDL_GetWindowSize(window_->sdl, &w, &h);
            if (params->BackBufferWidth == 0) params->BackBufferWidth = static_cast<UINT>(w);
            if (params->BackBufferHeight == 0) params->BackBufferHeight = static_cast<UINT>(h);
        }
        if (params->BackBufferFormat == D3DFMT_UNKNOWN) params->BackBufferFormat = D3DFMT_X8R8G8B8;
        const int w = static_cast<int>(params->BackBufferWidth), h = static_cast<int>(params->BackBufferHeight);
        if (w <= 0 || h <= 0 || w > backend_.max_side || h > backend_.max_side) return D3DERR_INVALIDCALL;
        if (back_buffer_) SDL_DestroyTexture(back_buffer_);
        back_buffer_ = SDL_CreateTexture(backend_.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
        if (!back_buffer_) return D3DERR_OUTOFVIDEOMEMORY;
        SDL_SetTextureScaleMode(back_buffer_, SDL_ScaleModeLinear);
        SDL_SetTextureBlendMode(back_buffer_, SDL_BLENDMODE_NONE);
        width_ = w;
        height_ = h;
        viewport_ = {0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0.0f, 1.0f};
        target_back_buffer();
        SDL_SetRenderDrawColor(backend_.renderer, 0, 0, 0, 255);
        SDL_RenderClear(backend_.renderer);
        return S_OK;
    }

    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
        if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
            viewport->X + viewport->Width > static_cast<DWORD>(width_) ||
            viewport->Y + viewport->Height > static_cast<DWORD>(height_))
            return D3DERR_INVALIDCALL;
        viewport_ = *viewport;
        if (!backend_.lost) target_back_buffer();
        return S_OK;
    }

    HRESULT Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD) override {
        if (rect_count > 0 && !rects) return D3DERR_INVALIDCALL;
        if (backend_.lost) return S_OK;  // as on a lost device: accepted, nothing happens
        if (!(flags & D3DCLEAR_TARGET)) return S_OK;
        const SDL_Rect view = viewport_rect();
        if (rect_count == 0) {
            backend_.fill(SDL_Rect{0, 0, view.w, view.h}, colour);
            return S_OK;
        }
        for (DWORD i = 0; i < rect_count; ++i) {
            SDL_Rect area{rects[i].x1 - view.x, rects[i].y1 - view.y, rects[i].x2 - rects[i].x1,
                          rects[i].y2 - rects[i].y1};
            if (area.w > 0 && area.h > 0) backend_.fill(area, colour);
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

    // Draws the frame recorded since the last present, unless it would show
    // exactly what the window already shows: the same drawing on the same
    // textures at the same window size, with nothing exposed since. A title
    // screen standing still then costs next to nothing.
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
        if (backend_.lost) {
            backend_.end_frame(false);
            return D3DERR_DEVICELOST;
        }
        SDL_Renderer* r = backend_.renderer;
        int out_w = 0, out_h = 0;
        SDL_GetRendererOutputSize(r, &out_w, &out_h);
        const bool window_unchanged = out_w == presented_w_ && out_h == presented_h_ && !exposed_.exchange(false);
        if (window_unchanged && backend_.same_as_presented(width_, height_)) {
            ++skipped_presents_;
            backend_.end_frame(true);
            return S_OK;
        }
        target_back_buffer();
        backend_.replay();
        SDL_SetRenderTarget(r, nullptr);
        SDL_RenderSetViewport(r, nullptr);
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        SDL_RenderCopy(r, back_buffer_, nullptr, nullptr);  // stretched over the client area
        SDL_RenderPresent(r);
        presented_w_ = out_w;
        presented_h_ = out_h;
        backend_.end_frame(true);
        target_back_buffer();
        return backend_.lost ? D3DERR_DEVICELOST : S_OK;
    }

    unsigned long skipped_presents() const { return skipped_presents_; }
    void force_redraw() { exposed_ = true; }

    HRESULT TestCooperativeLevel() override { return backend_.lost ? D3DERR_DEVICENOTRESET : S_OK; }

    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
        if (!params || !params->Windowed) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        backend_.drop_device_textures();
        const HRESULT made = make_back_buffer(params);
        if (FAILED(made)) return made;
        if (!backend_.upload_all()) return D3DERR_DEVICELOST;
        backend_.lost = false;
        return S_OK;
    }

    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

    RenderBackend* backend() { return &backend_; }

    bool read_back_buffer(std::vector<std::uint32_t>& argb, int& width, int& height) {
        if (backend_.lost || !back_buffer_) return false;
        SDL_Renderer* r = backend_.renderer;
        target_back_buffer();
        backend_.replay();  // what was drawn since the last present, if anything
        SDL_SetRenderTarget(r, back_buffer_);
        SDL_RenderSetViewport(r, nullptr);
        argb.resize(static_cast<std::size_t>(width_) * height_);
        const SDL_Rect all{0, 0, width_, height_};
        const bool ok = SDL_RenderReadPixels(r, &all, SDL_PIXELFORMAT_ARGB8888, argb.data(), width_ * 4) == 0;
        target_back_buffer();
        if (!ok) return false;
        for (std::uint32_t& p : argb) p |= 0xFF000000u;  // the back buffer has no alpha (X8R8G8B8)
        width = width_;
        height = height_;
        return true;
    }

    const std::string& name() const { return name_; }

    void simulate_loss() {
        backend_.drop_device_textures();
        SDL_Event event{};
        event.type = SDL_RENDER_DEVICE_RESET;
        SDL_PushEvent(&event);
        backend_.lost = true;  // also when the event queue is not running
    }

private:
    ~SdlDevice() override {
        SDL_DelEventWatch(&SdlDevice::watch_events, this);
        backend_.drop_device_textures();
        if (back_buffer_) SDL_DestroyTexture(back_buffer_);
        if (backend_.renderer) SDL_DestroyRenderer(backend_.renderer);
        backend_.renderer = nullptr;
    }

    // Runs for every event as it is queued, so the loss is seen even though
    // the window layer's message pump takes the events.
    static int SDLCALL watch_events(void* self, SDL_Event* event) {
        auto* device = static_cast<SdlDevice*>(self);
        if (event->type == SDL_RENDER_TARGETS_RESET || event->type == SDL_RENDER_DEVICE_RESET)
            device->backend_.lost = true;
        if (event->type == SDL_WINDOWEVENT) device->exposed_ = true;  // shown, exposed, resized, restored...
        return 0;
    }

    SDL_Rect viewport_rect() const {
        return {static_cast<int>(viewport_.X), static_cast<int>(viewport_.Y), static_cast<int>(viewport_.Width),
                static_cast<int>(viewport_.Height)};
    }

    void target_back_buffer() {
        SDL_SetRenderTarget(backend_.renderer, back_buffer_);
        const SDL_Rect view = viewport_rect();
        SDL_RenderSetViewport(backend_.renderer, &view);
        backend_.view = view;
    }

    PlatformWindow* window_;
    SdlBackend backend_;
    SDL_Texture* back_buffer_ = nullptr;
    int width_ = 0, height_ = 0;
    D3DVIEWPORT9 viewport_{};
    bool in_scene_ = false;
    UINT references_ = 1;
    std::string name_;
    int presented_w_ = -1, presented_h_ = -1;
    std::atomic<bool> exposed_{true};
    unsigned long skipped_presents_ = 0;
};

SDL_Renderer* make_renderer(SDL_Window* window, D3DDEVTYPE type, DWORD behaviour) {
    const unsigned refusal = current_refusal();
    if (type == D3DDEVTYPE_HAL) {
        if (refusal & RefuseAccelerated) {
            SDL_SetError("accelerated renderer refused");
            return nullptr;
        }
        constexpr Uint32 flags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
        if (behaviour & D3DCREATE_HARDWARE_VERTEXPROCESSING) return SDL_CreateRenderer(window, -1, flags);
        // Software vertex processing: any accelerated driver, one by one.
        for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
            SDL_RendererInfo info{};
            if (SDL_GetRenderDriverInfo(i, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED)) continue;
            if (SDL_Renderer* r = SDL_CreateRenderer(window, i, flags)) return r;
        }
        return nullptr;
    }
    if (type == D3DDEVTYPE_REF) {
        if (refusal & RefuseSoftware) {
            SDL_SetError("software renderer refused");
            return nullptr;
        }
        return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    }
    return nullptr;
}

class SdlDirect3D final : public IDirect3D9 {
public:
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!params || adapter != D3DADAPTER_DEFAULT || !params->Windowed) return D3DERR_INVALIDCALL;
        if (!(behaviour & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
            return D3DERR_INVALIDCALL;
        PlatformWindow* window = params->hDeviceWindow ? params->hDeviceWindow : focus_window;
        if (!window || !window->sdl || window->destroyed) return D3DERR_INVALIDCALL;
        if (SDL_GetRenderer(window->sdl)) return D3DERR_NOTAVAILABLE;  // one device per window

        SDL_Renderer* renderer = make_renderer(window->sdl, type, behaviour);
        if (!renderer) return D3DERR_NOTAVAILABLE;
        SDL_RendererInfo info{};
        if (SDL_GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_TARGETTEXTURE)) {
            SDL_DestroyRenderer(renderer);
            return D3DERR_NOTAVAILABLE;
        }
        auto* made = new SdlDevice(window, renderer);
        const HRESULT result = made->make_back_buffer(params);
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
    ~SdlDirect3D() override = default;
    UINT references_ = 1;
};

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdk_version) {
    if (sdk_version != D3D_SDK_VERSION || fault_injected(Fault::Direct3D)) return nullptr;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return new SdlDirect3D();
}

void sdl_graphics_refuse_renderers(unsigned refusal) {
    current_refusal();
    refusal_flags = refusal;
}

const char* sdl_graphics_renderer_name(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->name().c_str() : nullptr;
}

unsigned long sdl_graphics_skipped_presents(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->skipped_presents() : 0;
}

void sdl_graphics_force_redraw(IDirect3DDevice9* device) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) sdl->force_redraw();
}

void sdl_graphics_simulate_device_loss(IDirect3DDevice9* device) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) sdl->simulate_loss();
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->backend() : nullptr;
}

// The SDL device owns its backend and ends it with itself.
void release_render_backend(IDirect3DDevice9*) {}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl && sdl->read_back_buffer(argb, width, height);
}
