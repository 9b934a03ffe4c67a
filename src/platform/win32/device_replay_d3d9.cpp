#include "platform/win32/device_replay_d3d9.h"

namespace {

PixelRect rect_of(const D3DVIEWPORT9& v) {
    return {static_cast<int>(v.X), static_cast<int>(v.Y), static_cast<int>(v.Width), static_cast<int>(v.Height)};
}

}  // namespace

void set_sprite_state(IDirect3DDevice9* d, const SpriteCaps& caps, BlendMode mode) {
    const bool blend = mode == BlendMode::AlphaBlend;
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? TRUE : FALSE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    // Blended, texels of alpha 0 are skipped; unblended, those of alpha
    // above 63 are drawn opaque and the rest not at all.
    d->SetRenderState(D3DRS_ALPHATESTENABLE, caps.alpha_test ? TRUE : FALSE);
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

    const DWORD filter = caps.anisotropic ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, caps.mip_linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
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

const SpriteVertexD3D* device_vertices(const SpriteVertex* vertices, int count, std::vector<SpriteVertexD3D>& scratch) {
    scratch.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const SpriteVertex& s = vertices[i];
        scratch[i] = {s.x, s.y, 0.0f, s.colour, s.u, s.v};
    }
    return scratch.data();
}

DeviceSink::DeviceSink(IDirect3DDevice9* device, const SpriteCaps& caps, const TextureLookup& textures,
                       std::vector<SpriteVertexD3D>& scratch, const D3DVIEWPORT9* target_view)
    : device_(device),
      caps_(caps),
      textures_(textures),
      scratch_(scratch),
      target_view_(target_view ? *target_view : D3DVIEWPORT9{}),
      have_view_(target_view != nullptr) {
    if (target_view) current_ = rect_of(*target_view);
}

void DeviceSink::clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) {
    use_view(view);
    if (area == PixelRect{0, 0, view.w, view.h}) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
        return;
    }
    const D3DRECT r{view.x + area.x, view.y + area.y, view.x + area.x + area.w, view.y + area.y + area.h};
    device_->Clear(1, &r, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

void DeviceSink::draw_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                                int vertex_count, const std::uint16_t* indices, int index_count, BlendMode mode) {
    IDirect3DTexture9* t = textures_(texture);
    if (!t) return;
    use_view(view);
    if (!in_scene_) {
        began_ = SUCCEEDED(device_->BeginScene());
        in_scene_ = true;
    }
    if (!state_set_ || mode != state_mode_) {
        set_sprite_state(device_, caps_, mode);
        state_set_ = true;
        state_mode_ = mode;
    }
    const SpriteVertexD3D* v = device_vertices(vertices, vertex_count, scratch_);
    device_->SetTexture(0, t);
    device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertex_count),
                                    static_cast<UINT>(index_count / 3), indices, D3DFMT_INDEX16, v,
                                    sizeof(SpriteVertexD3D));
}

void DeviceSink::finish() {
    if (began_) device_->EndScene();
    if (have_view_ && !(current_ == rect_of(target_view_))) device_->SetViewport(&target_view_);
}

void DeviceSink::use_view(const PixelRect& view) {
    if (view == current_) return;
    const D3DVIEWPORT9 v{static_cast<DWORD>(view.x), static_cast<DWORD>(view.y), static_cast<DWORD>(view.w),
                         static_cast<DWORD>(view.h), 0.0f, 1.0f};
    device_->SetViewport(&v);
    current_ = view;
    state_set_ = false;  // the projection follows the viewport
}
