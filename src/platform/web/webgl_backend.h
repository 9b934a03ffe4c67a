// The browser's render backend: the sprite batch's textures and triangles
// over WebGL (1 or 2, whichever the browser gives), drawn into a 1024 x 768
// back buffer (a framebuffer texture) that present stretches over the page's
// canvas. Managed textures keep their texels on the CPU and go up again
// after the browser drops the context, so nothing is ever reloaded.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sprite/render_backend.h"

class WebGlBackend final : public RenderBackend {
public:
    // Makes the context on the page's canvas (CSS selector, e.g. "#canvas")
    // with a back buffer of width x height; null when the browser has no
    // WebGL at all.
    static std::unique_ptr<WebGlBackend> create(const char* canvas_selector, int width, int height);
    ~WebGlBackend() override;

    BackendTexture create_texture(int width, int height) override;
    bool update_texture(BackendTexture texture, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override;
    void destroy_texture(BackendTexture texture) override;
    bool draw_triangles(BackendTexture texture, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override;
    bool blending_available() const override { return true; }
    int max_texture_size() const override { return max_texture_size_; }

    // Fills the whole back buffer (or the rectangle x0,y0-x1,y1 of it) with
    // an ARGB colour, alpha ignored: the back buffer has none.
    void clear(std::uint32_t argb);
    void clear_rect(int x0, int y0, int x1, int y1, std::uint32_t argb);
    // Ends the frame and shows it: the back buffer stretched over the
    // canvas's drawing buffer, whose size the page keeps at the canvas's size
    // on the screen in device pixels. The browser shows at most one picture
    // per frame of its own, so a frame drawn before the browser has taken the
    // last one is kept unshown; the next frame, which the game draws in
    // full, takes its place. The GPU then draws no more than is seen.
    void present();
    // The back buffer as ARGB rows top to bottom, alpha opaque.
    bool read_back(std::vector<std::uint32_t>& argb);

    int width() const { return width_; }
    int height() const { return height_; }
    // True from the moment the browser drops the context until reset()
    // succeeds on a restored one.
    bool lost() const;
    // Whether the browser has given the context back, so reset() can work.
    bool restorable() const;
    // Makes every GL object again and uploads every managed texture from its
    // CPU copy; false while the context is still lost.
    bool reset();
    // 1 or 2.
    int webgl_version() const { return version_; }

private:
    enum class Step : std::uint8_t { Clear, Draw };
    struct Command {
        Step step;
        std::uint32_t colour;             // Clear
        int x0, y0, x1, y1;               // Clear
        BackendTexture texture;           // Draw
        BlendMode mode;                   // Draw
        std::size_t first_vertex, vertex_count, first_index, index_count;
    };
    struct Texture {
        int width = 0, height = 0;
        std::vector<std::uint32_t> texels;  // the managed copy, 0xAARRGGBB
        unsigned gl = 0;
    };
    WebGlBackend(int context, int version, int width, int height);
    bool make_objects();
    void upload(Texture& texture);
    void bind_back_buffer();
    void record(const Command& command);
    // Draws the recorded frame into the back buffer, if it is not drawn yet.
    void draw_recorded();
    void clear_now(const Command& command);
    void draw_now(const Command& command);

    int context_;
    int version_;
    int width_, height_;
    int max_texture_size_ = 2048;
    bool objects_ready_ = false;
    unsigned program_ = 0, present_program_ = 0;
    unsigned vertex_buffer_ = 0, index_buffer_ = 0, quad_buffer_ = 0;
    unsigned back_texture_ = 0, back_framebuffer_ = 0;
    int sampler_location_ = -1, present_sampler_location_ = -1, scale_location_ = -1;
    std::vector<std::unique_ptr<Texture>> textures_;  // handle - 1 indexes this; null for a freed slot
    std::vector<std::uint8_t> staging_;
    // The frame as recorded since the last present, and whether it is in
    // the back buffer yet.
    std::vector<Command> commands_;
    std::vector<SpriteVertex> vertices_;
    std::vector<std::uint16_t> indices_;
    bool recorded_drawn_ = true;
    bool frame_open_ = false;
    unsigned long presents_shown_ = 0, presents_kept_ = 0;

public:
    // Presents that reached the canvas, and those a later frame replaced.
    unsigned long presents_shown() const { return presents_shown_; }
    unsigned long presents_kept() const { return presents_kept_; }
};
