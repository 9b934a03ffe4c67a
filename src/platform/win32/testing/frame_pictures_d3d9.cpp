#include "platform/win32/testing/frame_pictures_d3d9.h"

bool read_render_target(IDirect3DDevice9* device, IDirect3DSurface9* target, ComRef<IDirect3DSurface9>& copy,
                        std::vector<std::uint32_t>& argb, int& width, int& height) {
    D3DSURFACE_DESC desc{};
    if (!target || FAILED(target->GetDesc(&desc))) return false;
    if (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8) return false;
    D3DSURFACE_DESC kept{};
    if (copy && (FAILED(copy->GetDesc(&kept)) || kept.Width != desc.Width || kept.Height != desc.Height ||
                 kept.Format != desc.Format))
        copy.reset();
    if (!copy && FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                            copy.out(), nullptr)))
        return false;
    if (FAILED(device->GetRenderTargetData(target, copy.get()))) return false;
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

void D3d9FramePictures::keep_shown() {
    ComRef<IDirect3DSurface9> back;
    int w = 0, h = 0;
    have_shown_ = SUCCEEDED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out())) &&
                  read_render_target(device_, back.get(), back_copy_, shown_, w, h);
}

bool D3d9FramePictures::read_shown(std::vector<std::uint32_t>& argb) {
    if (!have_shown_) return false;
    argb = shown_;
    return true;
}

bool D3d9FramePictures::make_target(const D3DSURFACE_DESC& like) {
    D3DSURFACE_DESC desc{};
    if (target_ && SUCCEEDED(target_->GetDesc(&desc)) && desc.Width == like.Width && desc.Height == like.Height &&
        desc.Format == like.Format)
        return true;
    return SUCCEEDED(device_->CreateRenderTarget(like.Width, like.Height, like.Format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 target_.out(), nullptr));
}

bool D3d9FramePictures::draw_in_full(const RecordedFrame& frame, std::vector<std::uint32_t>& argb) {
    ComRef<IDirect3DSurface9> back, game_target;
    D3DSURFACE_DESC desc{};
    if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out())) || FAILED(back->GetDesc(&desc)) ||
        !make_target(desc) || FAILED(device_->GetRenderTarget(0, game_target.out())))
        return false;
    // Everything the replay sets, the viewport included, comes back after it.
    ComRef<IDirect3DStateBlock9> states;
    if (FAILED(device_->CreateStateBlock(D3DSBT_ALL, states.out()))) return false;
    if (FAILED(device_->SetRenderTarget(0, target_.get()))) return false;
    const D3DVIEWPORT9 whole{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    device_->SetViewport(&whole);
    DeviceSink sink(device_, caps_, textures_, vertices_, &whole);
    replay(frame, {}, frame.end(), sink);
    sink.finish();
    device_->SetRenderTarget(0, game_target.get());
    states->Apply();
    int w = 0, h = 0;
    return read_render_target(device_, target_.get(), target_copy_, argb, w, h);
}
