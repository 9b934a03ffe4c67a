// The textures of an SDL renderer and the drawing of recorded frame commands
// with it: the SDL presenter's two halves that know SDL's drawing calls.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/frame_recorder.h"

// The textures of one renderer. A GPU renderer's are managed: the table
// keeps their texels and makes them again after a device reset, so the game
// never reloads files; the software renderer's cannot be lost and are the
// only copy.
class SdlTextures {
public:
    struct Entry {
        bool used = false;
        int width = 0, height = 0;
        // The managed copy, kept only where the renderer can lose its
        // textures (a GPU's).
        std::vector<std::uint32_t> texels;
        // One flag per block of kOpaqueBlock x kOpaqueBlock texels: every
        // texel of the block has alpha 255.
        std::vector<std::uint8_t> opaque;
        SDL_Texture* texture = nullptr;
    };
    static constexpr int kOpaqueBlock = 8;

    SdlTextures(SDL_Renderer* renderer, bool keep_texels, int max_side)
        : renderer_(renderer), keep_texels_(keep_texels), max_side_(max_side) {}
    ~SdlTextures();
    SdlTextures(const SdlTextures&) = delete;
    SdlTextures& operator=(const SdlTextures&) = delete;

    int max_side() const { return max_side_; }
    BackendTexture create(int width, int height);
    bool update(BackendTexture handle, int x, int y, int width, int height, const std::uint32_t* argb, int pitch);
    void destroy(BackendTexture handle);
    const Entry* find(BackendTexture handle) const;

    // Forgets the device side of every texture that has a managed copy (the
    // software renderer's textures are not lost).
    void drop_device_textures();
    // Makes the device side of every texture again from its texels.
    bool upload_all();

    // Whether a quad (six indices from `at`) draws only opaque pixels: opaque
    // vertex colours, and every texel its texture coordinates can reach (with
    // a texel more on each side for filtering) opaque.
    static bool opaque_quad(const Entry& e, const SpriteVertex* vertices, const std::uint16_t* indices);

private:
    Entry* find(BackendTexture handle);
    bool upload(Entry& e);
    void note_opacity(Entry& e, int x, int y, int width, int height, const std::uint32_t* argb, int pitch);

    SDL_Renderer* renderer_;
    bool keep_texels_;
    int max_side_;
    std::vector<Entry> entries_;
};

// Draws replayed commands into the renderer's current target.
class SdlFrameSink final : public FrameSink {
public:
    SdlFrameSink(SDL_Renderer* renderer, const SdlTextures& textures) : renderer_(renderer), textures_(textures) {}

    // Runs of opaque quads of a blended draw go without blending.
    bool opaque_shortcut = true;
    // To be called after the render target changed: the viewport and the
    // clip are set again from the next command on.
    void restart() {
        current_ = PixelRect{-1, -1, -1, -1};
        has_clip_ = false;
    }

    // Converts the colours of a frame's vertices once for every draw of it
    // that follows (until the next call).
    void use_frame(const RecordedFrame& frame);

    void clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) override;
    void draw_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                        int vertex_count, const std::uint16_t* indices, int index_count, BlendMode mode) override;
    void set_clip(const PixelRect* clip) override;

private:
    void use_view(const PixelRect& view);
    void geometry(SDL_Texture* texture, const SpriteVertex* vertices, int vertex_count, const std::uint16_t* indices,
                  int index_count, SDL_BlendMode blend);

    SDL_Renderer* renderer_;
    const SdlTextures& textures_;
    PixelRect current_{-1, -1, -1, -1};
    bool has_clip_ = false, clip_due_ = false;
    PixelRect clip_;
    std::vector<SDL_Color> colours_;        // of a draw outside the frame in use
    std::vector<SDL_Color> frame_colours_;  // of every vertex of the frame in use
    const SpriteVertex* frame_vertices_ = nullptr;
    const SDL_Color* draw_colours_ = nullptr;
};
