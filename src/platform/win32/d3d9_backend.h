// The Direct3D 9 device's render backend (graphics_d3d9.cpp): the one
// class the game draws through on Windows, declared here so that a test
// build's part (testing/graphics_d3d9_testing.cpp) can switch it and watch
// its presents. The game's program holds none of that part: the members it
// defines are declared below and defined only there.
#pragma once

#include <d3d9.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/frame_recorder.h"
#include "platform/sprite/render_device.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/device_replay_d3d9.h"

// What a test build watches at a device's presents (made by its part
// only; the game never sets one).
class D3d9PresentWatch {
public:
    virtual ~D3d9PresentWatch() = default;
    // Just before a real present: the back buffer holds the picture about
    // to be shown.
    virtual void before_present() = 0;
    // After every present, drawn or skipped: the frame it shows (null when
    // it is no picture to compare with) at the back buffer's size.
    virtual void after_present(const RecordedFrame* shown, int width, int height, bool skipped) = 0;
    // Before a reset, which must find none of the device's memory held.
    virtual void before_reset() = 0;
};

class D3d9Backend final : public RenderBackend {
public:
    explicit D3d9Backend(IDirect3DDevice9* device)
        : device_(device), texture_of_([this](BackendTexture t) {
              const Entry* e = find(t);
              return e ? e->texture : nullptr;
          }) {
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
        const SpriteVertexD3D* v = device_vertices(vertices, vertex_count, vertices_);
        // Within a flush of the sprite batch the state is already set.
        if (!in_batch_ || mode != batch_mode_) set_sprite_state(device_, caps_, mode);
        device_->SetTexture(0, e->texture);
        return SUCCEEDED(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertex_count),
                                                          static_cast<UINT>(index_count / 3), indices,
                                                          D3DFMT_INDEX16, v, sizeof(SpriteVertexD3D)));
    }

    void begin_batch(BlendMode mode) override {
        if (recording()) return;  // the state is set where the frame is drawn
        set_sprite_state(device_, caps_, mode);
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
    const SpriteCaps& caps() const { return caps_; }
    const TextureLookup& texture_lookup() const { return texture_of_; }

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
            end_frame(true);
            report_present(true);
            return S_OK;
        }
        flush();
        if (watch_) watch_->before_present();
        const HRESULT presented = device_->Present(source, dest, override_window, dirty);
        presented_client_ = client;
        // A frame drawn in part by the system, or to somewhere else, or not
        // shown at all, is no picture to compare the next one with.
        const bool comparable = plain && !unrecorded_ && SUCCEEDED(presented);
        if (FAILED(presented)) force_redraw_ = true;
        end_frame(comparable);
        report_present(false);
        return presented;
    }

    HRESULT reset(D3DPRESENT_PARAMETERS* params) {
        // A reset drops whatever the device was drawing.
        recorder_.end_frame(false);
        replayed_ = {};
        in_scene_ = false;
        unrecorded_ = false;
        force_redraw_ = true;
        if (watch_) watch_->before_reset();
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
        DeviceSink sink(device_, caps_, texture_of_, vertices_, have_view ? &game_view : nullptr);
        replay(frame, replayed_, frame.end(), sink);
        sink.finish();
        replayed_ = frame.end();
    }

    void force_redraw() { force_redraw_ = true; }
    bool draws_into(HWND window) const { return !window || window_ == window; }

    // What only test builds do (testing/graphics_d3d9_testing.cpp): with
    // skipping off every call is drawn at once, as the system draws it; a
    // watch is told of every present.
    void set_skipping(bool enabled);
    D3d9PresentWatch& watch();

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
            caps_.alpha_test = (caps.AlphaCmpCaps & D3DPCMPCAPS_GREATER) != 0;
            caps_.anisotropic = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) &&
                                (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC);
            caps_.mip_linear = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MIPFLINEAR) != 0;
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

    bool recording() const { return skipping_; }

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

    // Tells a watch what the present did: the frame it shows (none when it
    // is no picture to compare with).
    void report_present(bool skipped) {
        if (watch_)
            watch_->after_present(recorder_.presented(), static_cast<int>(back_width_), static_cast<int>(back_height_),
                                  skipped);
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
    std::unique_ptr<D3d9PresentWatch> watch_;  // a test build's; the game has none
    std::vector<Entry> entries_;
    TextureLookup texture_of_;
    std::vector<SpriteVertexD3D> vertices_;
    int max_side_ = 2048;
    bool can_blend_ = true;
    SpriteCaps caps_;
    bool in_batch_ = false;
    BlendMode batch_mode_ = BlendMode::AlphaBlend;
};

// The backend of a device the game made, or null.
D3d9Backend* backend_for(IDirect3DDevice9* device);
