// The presenter of the SDL backend (host_graphics.h). The back buffer is a
// render target texture of the game's 1024 x 768; show() stretches it over
// the window. A changed frame is drawn from a cached layer of the start it
// shares with the last one, or, where the back buffer still shows the last
// frame, only inside the rectangles where the two differ. Declared here for
// the backend's test part (testing/presenter_sdl_diagnostics.cpp), which
// reads it back and checks it; the game program links only
// presenter_sdl.cpp.
#pragma once

#include <SDL.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/hosted/host_graphics.h"
#include "platform/hosted/platform_window.h"
#include "platform/sdl/render_backend_sdl.h"

class SdlPresenter final : public HostPresenter {
public:
    SdlPresenter(PlatformWindow* window, SDL_Renderer* renderer);
    ~SdlPresenter() override;

    int max_texture_size() const override { return textures_->max_side(); }
    BackendTexture create_texture(int width, int height) override { return textures_->create(width, height); }
    bool update_texture(BackendTexture texture, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        return textures_->update(texture, x, y, width, height, argb, pitch);
    }
    void destroy_texture(BackendTexture texture) override { textures_->destroy(texture); }

    HRESULT make_back_buffer(int width, int height) override;
    void forget_presented() override;
    HostWindowState poll_window() override;
    FrameDrawn draw_frame(const FrameDrawing& drawing) override;
    void show() override;
    bool lost() const override { return lost_; }
    HRESULT reset(int width, int height) override;

private:
    friend struct SdlPresenterTesting;

    // Runs for every event as it is queued, so the loss is seen even though
    // the window layer's message pump takes the events.
    static int SDLCALL watch_events(void* self, SDL_Event* event);

    void target_back_buffer();
    bool read_target(SDL_Texture* target, std::vector<std::uint32_t>& argb);
    // Forgets the device side of every texture that has a managed copy, and
    // the cached layer.
    void drop_device_textures();
    void drop_layer();
    bool make_layer();
    void keep_layer_up(const RecordedFrame& frame, const FramePosition& target, const FramePosition& prefix);
    void copy_area(SDL_Texture* from, SDL_Texture* to, const PixelRect& area);
    void copy(SDL_Texture* from, SDL_Texture* to);

    PlatformWindow* window_;
    SDL_Renderer* renderer_;
    std::unique_ptr<SdlTextures> textures_;
    std::unique_ptr<SdlFrameSink> sink_;
    bool software_ = false;  // SDL's software renderer
    FrameDrawingOptions options_;
    SDL_Texture* back_buffer_ = nullptr;
    int width_ = 0, height_ = 0;
    std::atomic<bool> lost_{false};
    std::atomic<bool> exposed_{true};
    // The window at the last present, and as poll_window found it.
    int presented_w_ = -1, presented_h_ = -1, out_w_ = 0, out_h_ = 0;
    bool window_unchanged_ = false, resized_ = false;
    // The window surface shows the last frame presented (only the software
    // renderer's keeps it; a GPU's buffers are undefined after a swap).
    bool window_current_ = false;
    int presented_window_w_ = -1, presented_window_h_ = -1;  // the window's size at the last present
    // The back buffer after the first layer_at_ of the presented frame.
    SDL_Texture* layer_ = nullptr;
    FramePosition layer_at_;
    bool layer_valid_ = false;
    // The back buffer is the layer with the commands after layer_at_ of the
    // presented frame drawn on it, all within tail_box_.
    bool back_is_layer_and_tail_ = false;
    PixelRect tail_box_;
    std::vector<PixelRect> damage_;  // where the frame being drawn differs from the last
    bool drawn_in_part_ = false;     // the last frame was drawn only inside damage_
    std::vector<std::uint16_t> picked_;
    FramePosition last_prefix_;      // the unchanged start of the frame drawn last
    SDL_Texture* check_target_ = nullptr;  // a test build's full drawing, made on its first check
};
