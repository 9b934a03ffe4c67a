// The render backend of the sprite batch, the fonts and the texture loader
// over a real Direct3D 9 device: managed textures (the runtime keeps their
// texels across a device reset), indexed triangle lists drawn from user
// memory with the sprite state the game's Begin(0x11) asks for, and a
// read-back of the back buffer through a system-memory surface.
// Each frame is recorded (clears, scene brackets, the batch's triangles),
// as the game's frame calls (platform/frame_calls.h) bring it here, and
// drawn at its present, unless it repeats the frame presented last:
// software rasterisers then spend nothing on a screen standing still, and
// the game's loop keeps the rate its update gate asks for.

#include <d3d9.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/frame_calls.h"
#include "platform/frame_recorder.h"
#include "platform/sprite/render_device.h"
#include "platform/win32/frame_skip.h"

namespace {

// Holds one COM reference and gives it back when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* p) : p_(p) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T** out() {
        reset();
        return &p_;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

struct SpriteVertexD3D {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kSpriteFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class D3d9Backend final : public RenderBackend {
public:
    explicit D3d9Backend(IDirect3DDevice9* device) : device_(device) {
        read_caps();
        read_back_buffer_size();
    }
    ~D3d9Backend() override {
        // The device outlives its backend: what was recorded and not drawn
        // is drawn now.
        flush();
        for (Entry& e : entries_)
            if (e.texture) e.texture->Release();
    }
    D3d9Backend(const D3d9Backend&) = delete;
    D3d9Backend& operator=(const D3d9Backend&) = delete;

    BackendTexture create_texture(int width, int height) override {
        if (width <= 0 || height <= 0 || width > max_side_ || height > max_side_) return 0;
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(device_->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0,
                                          D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
            return 0;
        const BackendTexture handle = add(texture, width, height);
        ++texture_generation_;
        // Cleared to transparent black, as every backend's new texture is.
        std::vector<std::uint32_t> zero(static_cast<std::size_t>(width), 0);
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
            for (int row = 0; row < height; ++row)
                std::memcpy(static_cast<char*>(locked.pBits) + static_cast<std::ptrdiff_t>(row) * locked.Pitch,
                            zero.data(), zero.size() * 4);
            texture->UnlockRect(0);
        }
        return handle;
    }

    bool update_texture(BackendTexture handle, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        Entry* e = find(handle);
        if (!e || !argb || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > e->width ||
            y + height > e->height || pitch < width)
            return false;
        // Draws recorded before the change saw the old texels.
        flush();
        ++texture_generation_;
        RECT area{x, y, x + width, y + height};
        D3DLOCKED_RECT locked{};
        if (FAILED(e->texture->LockRect(0, &locked, &area, 0))) return false;
        for (int row = 0; row < height; ++row)
            std::memcpy(static_cast<char*>(locked.pBits) + static_cast<std::ptrdiff_t>(row) * locked.Pitch,
                        argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(width) * 4);
        e->texture->UnlockRect(0);
        return true;
    }

    void destroy_texture(BackendTexture handle) override {
        if (Entry* e = find(handle)) {
            flush();
            ++texture_generation_;
            e->texture->Release();
            *e = Entry{};
        }
    }

    bool draw_triangles(BackendTexture handle, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        Entry* e = find(handle);
        if (!e || !vertices || !indices || vertex_count <= 0 || index_count < 3) return false;
        if (recording()) return recorder_.record_triangles(current_view(), handle, vertices, vertex_count, indices,
                                                            index_count, mode);
        vertices_.resize(static_cast<std::size_t>(vertex_count));
        for (int i = 0; i < vertex_count; ++i) {
            const SpriteVertex& s = vertices[i];
            vertices_[i] = {s.x, s.y, 0.0f, s.colour, s.u, s.v};
        }
        // Within a flush of the sprite batch the state is already set.
        if (!in_batch_ || mode != batch_mode_) set_sprite_state(mode);
        device_->SetTexture(0, e->texture);
        return SUCCEEDED(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertex_count),
                                                          static_cast<UINT>(index_count / 3), indices,
                                                          D3DFMT_INDEX16, vertices_.data(), sizeof(SpriteVertexD3D)));
    }

    void begin_batch(BlendMode mode) override {
        if (recording()) return;  // the state is set where the frame is drawn
        set_sprite_state(mode);
        in_batch_ = true;
        batch_mode_ = mode;
    }
    void end_batch() override { in_batch_ = false; }

    bool blending_available() const override { return can_blend_; }
    int max_texture_size() const override { return max_side_; }

    // The handle of a texture made elsewhere (the atlas), registered on its
    // first use and kept referenced until the backend goes.
    BackendTexture handle_of(IDirect3DTexture9* texture, int& width, int& height) {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].texture == texture) {
                width = entries_[i].width;
                height = entries_[i].height;
                return static_cast<BackendTexture>(i + 1);
            }
        D3DSURFACE_DESC desc{};
        if (FAILED(texture->GetLevelDesc(0, &desc))) return 0;
        texture->AddRef();
        ++texture_generation_;
        width = static_cast<int>(desc.Width);
        height = static_cast<int>(desc.Height);
        return add(texture, width, height);
    }

    IDirect3DDevice9* device() const { return device_; }

    // ---- The device's frame methods, as the game calls them ----

    HRESULT clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
        // Only clears of the colour target are recorded; any other goes to
        // the system in its place in the frame, and the frame is drawn.
        if (!recording() || flags != D3DCLEAR_TARGET || (rect_count > 0 && !rects)) {
            flush();
            unrecorded_ = true;
            return device_->Clear(rect_count, rects, flags, colour, z, stencil);
        }
        const PixelRect view = current_view();
        if (rect_count == 0) recorder_.record_clear(view, {0, 0, view.w, view.h}, colour);
        for (DWORD i = 0; i < rect_count; ++i) {
            const PixelRect area{rects[i].x1 - view.x, rects[i].y1 - view.y, rects[i].x2 - rects[i].x1,
                                 rects[i].y2 - rects[i].y1};
            if (!area.empty()) recorder_.record_clear(view, area, colour);
        }
        return S_OK;
    }

    HRESULT begin_scene() {
        if (!recording()) {
            flush();
            unrecorded_ = true;
            return device_->BeginScene();
        }
        if (in_scene_) return D3DERR_INVALIDCALL;  // as the system answers
        in_scene_ = true;
        return S_OK;
    }

    HRESULT end_scene() {
        if (!recording()) {
            flush();
            unrecorded_ = true;
            return device_->EndScene();
        }
        if (!in_scene_) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        return S_OK;
    }

    HRESULT present(const RECT* source, const RECT* dest, HWND override_window, const RGNDATA* dirty) {
        const bool plain = !source && !dest && !override_window && !dirty;
        const SIZE client = client_size();
        const bool forced = force_redraw_.exchange(false);
        if (plain && !forced && !unrecorded_ && replayed_ == FramePosition{} && client.cx == presented_client_.cx &&
            client.cy == presented_client_.cy && same_as_presented()) {
            // The window shows this picture already. A lost device still
            // answers as the system's present would.
            if (FAILED(device_->TestCooperativeLevel())) {
                force_redraw_ = true;
                end_frame(false);
                return D3DERR_DEVICELOST;
            }
            ++counts_.skipped;
            end_frame(true);
            return S_OK;
        }
        flush();
        if (before_present_) before_present_();
        const HRESULT presented = device_->Present(source, dest, override_window, dirty);
        ++counts_.drawn;
        presented_client_ = client;
        // A frame drawn in part by the system, or to somewhere else, or not
        // shown at all, is no picture to compare the next one with.
        const bool comparable = plain && !unrecorded_ && SUCCEEDED(presented);
        if (FAILED(presented)) force_redraw_ = true;
        end_frame(comparable);
        return presented;
    }

    HRESULT reset(D3DPRESENT_PARAMETERS* params) {
        // A reset drops whatever the device was drawing.
        recorder_.end_frame(false);
        replayed_ = {};
        in_scene_ = false;
        unrecorded_ = false;
        force_redraw_ = true;
        const HRESULT result = device_->Reset(params);
        if (SUCCEEDED(result)) read_back_buffer_size();
        return result;
    }

    HRESULT test_cooperative_level() {
        const HRESULT level = device_->TestCooperativeLevel();
        if (FAILED(level)) force_redraw_ = true;
        return level;
    }

    // Draws what was recorded and not yet drawn, in order, into the back
    // buffer: at the present, and before anything that must see the frame
    // so far (a read-back, a texture changing under recorded draws).
    void flush() {
        const RecordedFrame& frame = recorder_.frame();
        if (replayed_ == frame.end()) return;
        D3DVIEWPORT9 game_view{};
        const bool have_view = SUCCEEDED(device_->GetViewport(&game_view));
        DeviceSink sink(*this, have_view ? &game_view : nullptr);
        replay(frame, replayed_, frame.end(), sink);
        sink.finish();
        replayed_ = frame.end();
    }

    void force_redraw() { force_redraw_ = true; }
    bool draws_into(HWND window) const { return !window || window_ == window; }
    PresentCounts counts() const { return counts_; }
    void set_skipping(bool enabled) {
        flush();
        skipping_ = enabled;
        recorder_.forget_presented();
    }
    void set_before_present(std::function<void()> call) { before_present_ = std::move(call); }

private:
    struct Entry {
        IDirect3DTexture9* texture = nullptr;  // one reference held
        int width = 0, height = 0;
    };

    BackendTexture add(IDirect3DTexture9* texture, int width, int height) {
        std::size_t slot = 0;
        while (slot < entries_.size() && entries_[slot].texture) ++slot;
        if (slot == entries_.size()) entries_.emplace_back();
        entries_[slot] = {texture, width, height};
        return static_cast<BackendTexture>(slot + 1);
    }

    Entry* find(BackendTexture handle) {
        if (handle == 0 || handle > entries_.size()) return nullptr;
        Entry& e = entries_[handle - 1];
        return e.texture ? &e : nullptr;
    }

    // What the device offers, read once: a device reset keeps the caps and
    // the back buffer's format.
    void read_caps() {
        D3DCAPS9 caps{};
        if (SUCCEEDED(device_->GetDeviceCaps(&caps))) {
            max_side_ = static_cast<int>(std::min(caps.MaxTextureWidth, caps.MaxTextureHeight));
            if (max_side_ <= 0) max_side_ = 2048;
            alpha_test_ = (caps.AlphaCmpCaps & D3DPCMPCAPS_GREATER) != 0;
            anisotropic_ = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) &&
                           (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC);
            mip_linear_ = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MIPFLINEAR) != 0;
        }
        // Post-pixel-shader blending into the back buffer's format.
        ComRef<IDirect3D9> d3d;
        ComRef<IDirect3DSurface9> back;
        D3DDEVICE_CREATION_PARAMETERS creation{};
        D3DDISPLAYMODE mode{};
        D3DSURFACE_DESC desc{};
        if (SUCCEEDED(device_->GetDirect3D(d3d.out())) && SUCCEEDED(device_->GetCreationParameters(&creation)) &&
            SUCCEEDED(device_->GetDisplayMode(0, &mode)) &&
            SUCCEEDED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out())) &&
            SUCCEEDED(back->GetDesc(&desc)))
            can_blend_ = SUCCEEDED(d3d->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType, mode.Format,
                                                          D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING, D3DRTYPE_SURFACE,
                                                          desc.Format));
    }

    // The state of the game's sprite batch, set once for every flush of the
    // batch (nothing is saved or restored): screen-space quads, texture
    // times vertex colour, blended over the back buffer.
    void set_sprite_state(BlendMode mode) {
        IDirect3DDevice9* d = device_;
        const bool blend = mode == BlendMode::AlphaBlend;
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? TRUE : FALSE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        d->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        // Blended, texels of alpha 0 are skipped; unblended, those of alpha
        // above 63 are drawn opaque and the rest not at all.
        d->SetRenderState(D3DRS_ALPHATESTENABLE, alpha_test_ ? TRUE : FALSE);
        d->SetRenderState(D3DRS_ALPHAREF, blend ? 0 : 63);
        d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        d->SetRenderState(D3DRS_CLIPPING, TRUE);
        d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
        d->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                                                      D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA);

        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

        const DWORD filter = anisotropic_ ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
        d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        d->SetSamplerState(0, D3DSAMP_MIPFILTER, mip_linear_ ? D3DTEXF_LINEAR : D3DTEXF_POINT);
        d->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);

        d->SetVertexShader(nullptr);
        d->SetPixelShader(nullptr);
        d->SetFVF(kSpriteFvf);

        // Identity world and view; an orthographic projection over the
        // viewport with a half-pixel shift, so that a quad at a whole-number
        // position with its source's size copies texels one to one.
        D3DVIEWPORT9 view{};
        if (FAILED(d->GetViewport(&view)) || view.Width == 0 || view.Height == 0) return;
        const float w = static_cast<float>(view.Width), h = static_cast<float>(view.Height);
        D3DMATRIX identity{};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
        D3DMATRIX projection{};
        projection._11 = 2.0f / w;
        projection._22 = -2.0f / h;
        projection._33 = 1.0f;
        projection._41 = -1.0f - 1.0f / w;
        projection._42 = 1.0f + 1.0f / h;
        projection._44 = 1.0f;
        d->SetTransform(D3DTS_WORLD, &identity);
        d->SetTransform(D3DTS_VIEW, &identity);
        d->SetTransform(D3DTS_PROJECTION, &projection);
    }

    bool recording() const { return skipping_; }

    // Draws replayed commands on the device: each clear and run of triangles
    // in its viewport, the triangles in a scene of their own with the sprite
    // state of their blending.
    class DeviceSink final : public FrameSink {
    public:
        DeviceSink(D3d9Backend& backend, const D3DVIEWPORT9* game_view)
            : b_(backend), game_view_(game_view ? *game_view : D3DVIEWPORT9{}), have_view_(game_view != nullptr) {
            if (game_view) current_ = rect_of(*game_view);
        }

        void clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) override {
            use_view(view);
            if (area == PixelRect{0, 0, view.w, view.h}) {
                b_.device_->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
                return;
            }
            const D3DRECT r{view.x + area.x, view.y + area.y, view.x + area.x + area.w, view.y + area.y + area.h};
            b_.device_->Clear(1, &r, D3DCLEAR_TARGET, colour, 1.0f, 0);
        }

        void draw_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                            int vertex_count, const std::uint16_t* indices, int index_count, BlendMode mode) override {
            Entry* e = b_.find(texture);
            if (!e) return;
            use_view(view);
            if (!in_scene_) {
                began_ = SUCCEEDED(b_.device_->BeginScene());
                in_scene_ = true;
            }
            if (!state_set_ || mode != state_mode_) {
                b_.set_sprite_state(mode);
                state_set_ = true;
                state_mode_ = mode;
            }
            std::vector<SpriteVertexD3D>& v = b_.vertices_;
            v.resize(static_cast<std::size_t>(vertex_count));
            for (int i = 0; i < vertex_count; ++i)
                v[i] = {vertices[i].x, vertices[i].y, 0.0f, vertices[i].colour, vertices[i].u, vertices[i].v};
            b_.device_->SetTexture(0, e->texture);
            b_.device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertex_count),
                                               static_cast<UINT>(index_count / 3), indices, D3DFMT_INDEX16, v.data(),
                                               sizeof(SpriteVertexD3D));
        }

        // Whole frames are drawn here: no clip.
        void set_clip(const PixelRect*) override {}

        // Ends the scene begun and gives the game its viewport back.
        void finish() {
            if (began_) b_.device_->EndScene();
            if (have_view_ && !(current_ == rect_of(game_view_))) b_.device_->SetViewport(&game_view_);
        }

    private:
        static PixelRect rect_of(const D3DVIEWPORT9& v) {
            return {static_cast<int>(v.X), static_cast<int>(v.Y), static_cast<int>(v.Width), static_cast<int>(v.Height)};
        }
        void use_view(const PixelRect& view) {
            if (view == current_) return;
            const D3DVIEWPORT9 v{static_cast<DWORD>(view.x), static_cast<DWORD>(view.y), static_cast<DWORD>(view.w),
                                 static_cast<DWORD>(view.h), 0.0f, 1.0f};
            b_.device_->SetViewport(&v);
            current_ = view;
            state_set_ = false;  // the projection follows the viewport
        }

        D3d9Backend& b_;
        D3DVIEWPORT9 game_view_;
        bool have_view_;
        PixelRect current_{-1, -1, -1, -1};
        bool in_scene_ = false, began_ = false;
        bool state_set_ = false;
        BlendMode state_mode_ = BlendMode::AlphaBlend;
    };

    // The viewport draws and clears are recorded with.
    PixelRect current_view() const {
        D3DVIEWPORT9 v{};
        device_->GetViewport(&v);
        return {static_cast<int>(v.X), static_cast<int>(v.Y), static_cast<int>(v.Width), static_cast<int>(v.Height)};
    }

    // Whether the frame recorded since the last present paints the whole
    // back buffer before it draws anything, and is the same, call for call
    // and texel for texel, as the frame presented last: then it would show
    // the same picture again.
    bool same_as_presented() const {
        const RecordedFrame* presented = recorder_.presented();
        if (!presented || texture_generation_ != presented_generation_) return false;
        const RecordedFrame& frame = recorder_.frame();
        const int w = static_cast<int>(back_width_), h = static_cast<int>(back_height_);
        return whole_frame(unchanged_prefix(frame, *presented, w, h), frame, *presented);
    }

    // The recorded frame becomes the presented one (or none), and the next
    // frame starts empty; the storage is kept, so a running game allocates
    // nothing per frame.
    void end_frame(bool comparable) {
        recorder_.end_frame(comparable);
        if (comparable) presented_generation_ = texture_generation_;
        replayed_ = {};
        unrecorded_ = false;
    }

    SIZE client_size() const {
        RECT client{};
        if (!window_ || !GetClientRect(window_, &client)) return SIZE{-1, -1};
        return SIZE{client.right - client.left, client.bottom - client.top};
    }

    void read_back_buffer_size() {
        IDirect3DSwapChain9* chain = nullptr;
        D3DPRESENT_PARAMETERS params{};
        if (SUCCEEDED(device_->GetSwapChain(0, &chain))) {
            if (SUCCEEDED(chain->GetPresentParameters(&params))) {
                back_width_ = params.BackBufferWidth;
                back_height_ = params.BackBufferHeight;
                window_ = params.hDeviceWindow;
            }
            chain->Release();
        }
        if (!window_) {
            D3DDEVICE_CREATION_PARAMETERS creation{};
            if (SUCCEEDED(device_->GetCreationParameters(&creation))) window_ = creation.hFocusWindow;
        }
    }

    IDirect3DDevice9* device_;  // not referenced: the game owns the device
    bool skipping_ = true;
    FrameRecorder recorder_;  // the frame recorded since the last present, and the last one presented
    FramePosition replayed_;  // of the recorded frame, already drawn
    bool in_scene_ = false;     // as the game sees it
    bool unrecorded_ = false;   // the system drew part of this frame itself
    std::uint64_t texture_generation_ = 0;
    std::uint64_t presented_generation_ = 0;
    std::atomic<bool> force_redraw_{true};
    SIZE presented_client_{-1, -1};
    UINT back_width_ = 0, back_height_ = 0;
    HWND window_ = nullptr;
    PresentCounts counts_;
    std::function<void()> before_present_;
    std::vector<Entry> entries_;
    std::vector<SpriteVertexD3D> vertices_;
    int max_side_ = 2048;
    bool can_blend_ = true;
    bool alpha_test_ = true;
    bool anisotropic_ = false;
    bool mip_linear_ = true;
    bool in_batch_ = false;
    BlendMode batch_mode_ = BlendMode::AlphaBlend;
};

// One backend per device the game made; in practice exactly one.
std::vector<std::unique_ptr<D3d9Backend>>& backends() {
    static std::vector<std::unique_ptr<D3d9Backend>> list;
    return list;
}

D3d9Backend* backend_for(IDirect3DDevice9* device) {
    for (const auto& b : backends())
        if (b->device() == device) return b.get();
    return nullptr;
}

}  // namespace

bool message_forces_redraw(UINT message) {
    switch (message) {
        case WM_PAINT:
        case WM_SIZE:
        case WM_ACTIVATE:
        case WM_SHOWWINDOW:
        case WM_WINDOWPOSCHANGED:
        case WM_DISPLAYCHANGE:
            return true;
        default:
            return false;
    }
}

void force_redraw(HWND window) {
    for (const auto& b : backends())
        if (b->draws_into(window)) b->force_redraw();
}

PresentCounts present_counts(IDirect3DDevice9* device) {
    const D3d9Backend* backend = backend_for(device);
    return backend ? backend->counts() : PresentCounts{};
}

void set_frame_skipping(IDirect3DDevice9* device, bool enabled) {
    if (D3d9Backend* backend = static_cast<D3d9Backend*>(render_backend_of(device))) backend->set_skipping(enabled);
}

void set_before_present(IDirect3DDevice9* device, std::function<void()> before_present) {
    if (D3d9Backend* backend = static_cast<D3d9Backend*>(render_backend_of(device)))
        backend->set_before_present(std::move(before_present));
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    if (!device) return nullptr;
    for (const auto& b : backends())
        if (b->device() == device) return b.get();
    backends().push_back(std::make_unique<D3d9Backend>(device));
    return backends().back().get();
}

void release_render_backend(IDirect3DDevice9* device) {
    auto& list = backends();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& b) { return b->device() == device; }),
               list.end());
}

BackendTexture backend_texture_of(IDirect3DTexture9* texture, int& width, int& height) {
    if (!texture) return 0;
    ComRef<IDirect3DDevice9> device;
    if (FAILED(texture->GetDevice(device.out()))) return 0;
    auto* backend = static_cast<D3d9Backend*>(render_backend_of(device.get()));
    return backend ? backend->handle_of(texture, width, height) : 0;
}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    if (!device) return false;
    // The back buffer as the game drew it so far, recorded draws included.
    if (D3d9Backend* backend = backend_for(device)) backend->flush();
    ComRef<IDirect3DSurface9> back;
    D3DSURFACE_DESC desc{};
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out())) || FAILED(back->GetDesc(&desc)))
        return false;
    if (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8) return false;
    ComRef<IDirect3DSurface9> copy;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                   copy.out(), nullptr)) ||
        FAILED(device->GetRenderTargetData(back.get(), copy.get())))
        return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
    width = static_cast<int>(desc.Width);
    height = static_cast<int>(desc.Height);
    argb.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                                 static_cast<std::ptrdiff_t>(row) * locked.Pitch);
        for (int x = 0; x < width; ++x) argb[static_cast<std::size_t>(row) * width + x] = src[x] | 0xFF000000u;
    }
    copy->UnlockRect();
    return true;
}

// The game's frame calls: through the device's backend where it has one.
HRESULT device_clear(IDirect3DDevice9* device, DWORD rect_count, const D3DRECT* rects, DWORD flags,
                     D3DCOLOR colour, float z, DWORD stencil) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->clear(rect_count, rects, flags, colour, z, stencil)
                   : device->Clear(rect_count, rects, flags, colour, z, stencil);
}
HRESULT device_begin_scene(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->begin_scene() : device->BeginScene();
}
HRESULT device_end_scene(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->end_scene() : device->EndScene();
}
HRESULT device_present(IDirect3DDevice9* device, const RECT* source, const RECT* dest, HWND override_window,
                       const RGNDATA* dirty_region) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->present(source, dest, override_window, dirty_region)
                   : device->Present(source, dest, override_window, dirty_region);
}
HRESULT device_test_cooperative_level(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->test_cooperative_level() : device->TestCooperativeLevel();
}
HRESULT device_reset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* params) {
    D3d9Backend* backend = backend_for(device);
    return backend ? backend->reset(params) : device->Reset(params);
}
