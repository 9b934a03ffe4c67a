// The render backend of the sprite batch, the fonts and the texture loader
// over a real Direct3D 9 device: managed textures (the runtime keeps their
// texels across a device reset), indexed triangle lists drawn from user
// memory with the sprite state the game's Begin(0x11) asks for, and a
// read-back of the back buffer through a system-memory surface.

#include <d3d9.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/sprite/render_device.h"

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
    explicit D3d9Backend(IDirect3DDevice9* device) : device_(device) { read_caps(); }
    ~D3d9Backend() override {
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
            e->texture->Release();
            *e = Entry{};
        }
    }

    bool draw_triangles(BackendTexture handle, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        Entry* e = find(handle);
        if (!e || !vertices || !indices || vertex_count <= 0 || index_count < 3) return false;
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
        width = static_cast<int>(desc.Width);
        height = static_cast<int>(desc.Height);
        return add(texture, width, height);
    }

    IDirect3DDevice9* device() const { return device_; }

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

    IDirect3DDevice9* device_;  // not referenced: the game owns the device
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

}  // namespace

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

HRESULT create_device_texture(IDirect3DDevice9* device, TextureImage image, IDirect3DTexture9** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || image.levels.empty()) return D3DERR_INVALIDCALL;
    const ArgbImage& top = image.levels[0];
    IDirect3DTexture9* made = nullptr;
    const HRESULT created = device->CreateTexture(
        static_cast<UINT>(top.width), static_cast<UINT>(top.height), static_cast<UINT>(image.levels.size()), 0,
        image.has_alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &made, nullptr);
    if (FAILED(created)) return created;
    // Every level of our own mip chain, so the runtime never makes its own.
    for (std::size_t level = 0; level < image.levels.size(); ++level) {
        const ArgbImage& img = image.levels[level];
        D3DLOCKED_RECT locked{};
        if (FAILED(made->LockRect(static_cast<UINT>(level), &locked, nullptr, 0))) {
            made->Release();
            return D3DERR_INVALIDCALL;
        }
        for (int row = 0; row < img.height; ++row)
            std::memcpy(static_cast<char*>(locked.pBits) + static_cast<std::ptrdiff_t>(row) * locked.Pitch,
                        img.texels.data() + static_cast<std::size_t>(row) * img.width,
                        static_cast<std::size_t>(img.width) * 4);
        made->UnlockRect(static_cast<UINT>(level));
    }
    *texture = made;
    return S_OK;
}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    if (!device) return false;
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
