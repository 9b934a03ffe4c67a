// The frame pictures of the Direct3D 9 device (platform/frame_pictures.h),
// made only while a test's after-present callback asks for them: a recorded
// frame drawn in full into an offscreen render target of the back buffer's
// size and read back, and the back buffer as it stood just before the real
// present, kept for the presents skipped after it.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "platform/frame_pictures.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/device_replay_d3d9.h"

// The ARGB rows of a render target (alpha set), copied through a
// system-memory surface, which `copy` keeps for the next read of the same
// size and format.
bool read_render_target(IDirect3DDevice9* device, IDirect3DSurface9* target, ComRef<IDirect3DSurface9>& copy,
                        std::vector<std::uint32_t>& argb, int& width, int& height);

class D3d9FramePictures final : public FramePictures {
public:
    D3d9FramePictures(IDirect3DDevice9* device, const SpriteCaps& caps, const TextureLookup& textures)
        : device_(device), caps_(caps), textures_(textures) {}

    // Reads the back buffer, drawn and about to be presented: the picture
    // the window shows from now on.
    void keep_shown();
    // Lets go of the offscreen target (device memory, which a reset must
    // not find).
    void release_target() { target_.reset(); }

    // The game's render target, viewport and states are as they were after it.
    bool draw_in_full(const RecordedFrame& frame, std::vector<std::uint32_t>& argb) override;
    bool read_shown(std::vector<std::uint32_t>& argb) override;

private:
    bool make_target(const D3DSURFACE_DESC& like);

    IDirect3DDevice9* device_;
    const SpriteCaps& caps_;
    const TextureLookup& textures_;
    ComRef<IDirect3DSurface9> target_, target_copy_, back_copy_;
    std::vector<SpriteVertexD3D> vertices_;
    std::vector<std::uint32_t> shown_;
    bool have_shown_ = false;
};
