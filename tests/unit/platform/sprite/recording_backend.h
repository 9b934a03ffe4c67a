// A render backend that keeps every texture's texels and records every draw
// call, so the sprite batch and the fonts can be checked without a screen.
#pragma once

#include <cstring>
#include <map>
#include <vector>

#include "platform/render_backend.h"

struct RecordedTexture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> texels;
    std::uint32_t at(int x, int y) const { return texels[static_cast<std::size_t>(y) * width + x]; }
};

struct RecordedDraw {
    BackendTexture texture;
    std::vector<SpriteVertex> vertices;
    std::vector<std::uint16_t> indices;
    BlendMode mode;
};

class RecordingBackend final : public RenderBackend {
public:
    std::map<BackendTexture, RecordedTexture> textures;
    std::vector<RecordedDraw> draws;
    bool can_blend = true;
    int max_side = 4096;
    int destroyed = 0;

    BackendTexture create_texture(int width, int height) override {
        if (width <= 0 || height <= 0 || width > max_side || height > max_side) return 0;
        const BackendTexture id = next_++;
        textures[id] = {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
        return id;
    }
    bool update_texture(BackendTexture id, int x, int y, int w, int h, const std::uint32_t* argb, int pitch) override {
        auto it = textures.find(id);
        if (it == textures.end() || x < 0 || y < 0 || x + w > it->second.width || y + h > it->second.height)
            return false;
        for (int row = 0; row < h; ++row)
            std::memcpy(&it->second.texels[static_cast<std::size_t>(y + row) * it->second.width + x],
                        argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(w) * 4);
        return true;
    }
    void destroy_texture(BackendTexture id) override { destroyed += static_cast<int>(textures.erase(id)); }
    bool draw_triangles(BackendTexture texture, const SpriteVertex* v, int vn, const std::uint16_t* idx, int in,
                        BlendMode mode) override {
        draws.push_back({texture, {v, v + vn}, {idx, idx + in}, mode});
        return true;
    }
    bool blending_available() const override { return can_blend; }
    int max_texture_size() const override { return max_side; }

    // All quads drawn so far, in order, as (texture, top-left vertex,
    // bottom-right vertex).
    struct Quad {
        BackendTexture texture;
        SpriteVertex top_left, bottom_right;
    };
    std::vector<Quad> quads() const {
        std::vector<Quad> out;
        for (const RecordedDraw& d : draws)
            for (std::size_t i = 0; i + 5 < d.indices.size(); i += 6)
                out.push_back({d.texture, d.vertices[d.indices[i]], d.vertices[d.indices[i + 2]]});
        return out;
    }

private:
    BackendTexture next_ = 1;
};
