#include "platform/sdl/render_backend_sdl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
int blocks(int side) { return (side + SdlTextures::kOpaqueBlock - 1) / SdlTextures::kOpaqueBlock; }
}  // namespace

SdlTextures::~SdlTextures() {
    for (Entry& e : entries_)
        if (e.texture) SDL_DestroyTexture(e.texture), e.texture = nullptr;
}

BackendTexture SdlTextures::create(int width, int height) {
    if (width <= 0 || height <= 0 || width > max_side_ || height > max_side_) return 0;
    std::size_t slot = 0;
    while (slot < entries_.size() && entries_[slot].used) ++slot;
    if (slot == entries_.size()) entries_.emplace_back();
    Entry& e = entries_[slot];
    e.used = true;
    e.width = width;
    e.height = height;
    if (keep_texels_) e.texels.assign(static_cast<std::size_t>(width) * height, 0);
    e.opaque.assign(static_cast<std::size_t>(blocks(width)) * blocks(height), 0);
    if (!upload(e)) {
        if (e.texture) SDL_DestroyTexture(e.texture);
        e = Entry{};
        return 0;
    }
    return static_cast<BackendTexture>(slot + 1);
}

bool SdlTextures::update(BackendTexture handle, int x, int y, int width, int height, const std::uint32_t* argb,
                         int pitch) {
    Entry* e = find(handle);
    if (!e || !argb || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > e->width ||
        y + height > e->height || pitch < width)
        return false;
    note_opacity(*e, x, y, width, height, argb, pitch);
    const SDL_Rect area{x, y, width, height};
    if (!keep_texels_) return e->texture && SDL_UpdateTexture(e->texture, &area, argb, pitch * 4) == 0;
    for (int row = 0; row < height; ++row)
        std::memcpy(&e->texels[static_cast<std::size_t>(y + row) * e->width + x],
                    argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(width) * 4);
    if (!e->texture) return true;  // uploaded whole at the reset
    return SDL_UpdateTexture(e->texture, &area, &e->texels[static_cast<std::size_t>(y) * e->width + x],
                             e->width * 4) == 0;
}

void SdlTextures::destroy(BackendTexture handle) {
    if (Entry* e = find(handle)) {
        if (e->texture) SDL_DestroyTexture(e->texture);
        *e = Entry{};
    }
}

SdlTextures::Entry* SdlTextures::find(BackendTexture handle) {
    if (handle == 0 || handle > entries_.size() || !entries_[handle - 1].used) return nullptr;
    return &entries_[handle - 1];
}
const SdlTextures::Entry* SdlTextures::find(BackendTexture handle) const {
    if (handle == 0 || handle > entries_.size() || !entries_[handle - 1].used) return nullptr;
    return &entries_[handle - 1];
}

void SdlTextures::drop_device_textures() {
    if (!keep_texels_) return;
    for (Entry& e : entries_)
        if (e.texture) SDL_DestroyTexture(e.texture), e.texture = nullptr;
}

bool SdlTextures::upload_all() {
    bool ok = true;
    for (Entry& e : entries_)
        if (e.used && !e.texture && !upload(e)) ok = false;
    return ok;
}

bool SdlTextures::upload(Entry& e) {
    if (!renderer_) return false;
    if (e.texture) SDL_DestroyTexture(e.texture);
    e.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, e.width, e.height);
    if (!e.texture) return false;
    SDL_SetTextureScaleMode(e.texture, SDL_ScaleModeLinear);
    if (keep_texels_) return SDL_UpdateTexture(e.texture, nullptr, e.texels.data(), e.width * 4) == 0;
    // Cleared to transparent black a band of rows at a time.
    const int band = std::max(1, std::min(e.height, 65536 / e.width));
    std::vector<std::uint32_t> zeros(static_cast<std::size_t>(e.width) * band, 0);
    for (int y = 0; y < e.height; y += band) {
        const SDL_Rect area{0, y, e.width, std::min(band, e.height - y)};
        if (SDL_UpdateTexture(e.texture, &area, zeros.data(), e.width * 4) != 0) return false;
    }
    return true;
}

// Keeps the opacity flags of the blocks an update touches: a block is opaque
// when it is whole under the update and all opaque, or when it was opaque and
// the part updated is too.
void SdlTextures::note_opacity(Entry& e, int x, int y, int width, int height, const std::uint32_t* argb, int pitch) {
    const int columns = blocks(e.width);
    for (int by = y / kOpaqueBlock; by <= (y + height - 1) / kOpaqueBlock; ++by)
        for (int bx = x / kOpaqueBlock; bx <= (x + width - 1) / kOpaqueBlock; ++bx) {
            const int x0 = bx * kOpaqueBlock, y0 = by * kOpaqueBlock;
            const int x1 = std::min(x0 + kOpaqueBlock, e.width), y1 = std::min(y0 + kOpaqueBlock, e.height);
            const int cx0 = std::max(x0, x), cy0 = std::max(y0, y);
            const int cx1 = std::min(x1, x + width), cy1 = std::min(y1, y + height);
            bool all_opaque = true;
            for (int ty = cy0; ty < cy1 && all_opaque; ++ty)
                for (int tx = cx0; tx < cx1; ++tx)
                    if ((argb[static_cast<std::size_t>(ty - y) * pitch + (tx - x)] >> 24) != 0xFF) {
                        all_opaque = false;
                        break;
                    }
            std::uint8_t& flag = e.opaque[static_cast<std::size_t>(by) * columns + bx];
            const bool whole = cx0 == x0 && cy0 == y0 && cx1 == x1 && cy1 == y1;
            flag = whole ? all_opaque : (flag && all_opaque);
        }
}

bool SdlTextures::opaque_quad(const Entry& e, const SpriteVertex* vertices, const std::uint16_t* indices) {
    float u0 = 2, v0 = 2, u1 = -1, v1 = -1;
    for (int k = 0; k < 6; ++k) {
        const SpriteVertex& v = vertices[indices[k]];
        if ((v.colour >> 24) != 255) return false;
        u0 = std::min(u0, v.u), u1 = std::max(u1, v.u);
        v0 = std::min(v0, v.v), v1 = std::max(v1, v.v);
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(u0 * e.width)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(v0 * e.height)) - 1);
    const int x1 = std::min(e.width - 1, static_cast<int>(std::ceil(u1 * e.width)) + 1);
    const int y1 = std::min(e.height - 1, static_cast<int>(std::ceil(v1 * e.height)) + 1);
    if (x1 < x0 || y1 < y0) return false;
    const int columns = blocks(e.width);
    for (int by = y0 / kOpaqueBlock; by <= y1 / kOpaqueBlock; ++by)
        for (int bx = x0 / kOpaqueBlock; bx <= x1 / kOpaqueBlock; ++bx)
            if (!e.opaque[static_cast<std::size_t>(by) * columns + bx]) return false;
    return true;
}

namespace {
SDL_Color colour_of(std::uint32_t argb) {
    return {static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
            static_cast<Uint8>(argb >> 24)};
}
}  // namespace

void SdlFrameSink::use_frame(const RecordedFrame& frame) {
    frame_colours_.resize(frame.vertices.size());
    for (std::size_t i = 0; i < frame.vertices.size(); ++i) frame_colours_[i] = colour_of(frame.vertices[i].colour);
    frame_vertices_ = frame.vertices.data();
}

void SdlFrameSink::use_view(const PixelRect& view) {
    if (!(view == current_)) {
        const SDL_Rect v{view.x, view.y, view.w, view.h};
        SDL_RenderSetViewport(renderer_, &v);
        current_ = view;
        clip_due_ = has_clip_;
    }
    if (clip_due_) {
        // The clip is relative to the viewport.
        const SDL_Rect c{clip_.x - view.x, clip_.y - view.y, clip_.w, clip_.h};
        SDL_RenderSetClipRect(renderer_, &c);
        clip_due_ = false;
    }
}

void SdlFrameSink::set_clip(const PixelRect* clip) {
    has_clip_ = clip != nullptr;
    if (clip) {
        clip_ = *clip;
        clip_due_ = true;
    } else {
        clip_due_ = false;
        SDL_RenderSetClipRect(renderer_, nullptr);
    }
}

void SdlFrameSink::clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) {
    use_view(view);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer_, static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8),
                           static_cast<Uint8>(colour), 255);
    const SDL_Rect a{area.x, area.y, area.w, area.h};
    SDL_RenderFillRect(renderer_, &a);
}

void SdlFrameSink::draw_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                                  int vertex_count, const std::uint16_t* indices, int index_count, BlendMode mode) {
    const SdlTextures::Entry* e = textures_.find(texture);
    if (!e || !e->texture || index_count <= 0) return;
    use_view(view);
    if (frame_vertices_ && vertices >= frame_vertices_ && vertices + vertex_count <= frame_vertices_ + frame_colours_.size()) {
        draw_colours_ = &frame_colours_[static_cast<std::size_t>(vertices - frame_vertices_)];
    } else {
        colours_.resize(static_cast<std::size_t>(vertex_count));
        for (int i = 0; i < vertex_count; ++i) colours_[i] = colour_of(vertices[i].colour);
        draw_colours_ = colours_.data();
    }
    if (mode != BlendMode::AlphaBlend || !opaque_shortcut || index_count % 6 != 0) {
        geometry(e->texture, vertices, vertex_count, indices, index_count,
                 mode == BlendMode::AlphaBlend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        return;
    }
    // Runs of opaque quads go without blending, the rest with it.
    int run = 0;
    bool run_opaque = SdlTextures::opaque_quad(*e, vertices, indices);
    for (int at = 6; at <= index_count; at += 6) {
        const bool opaque = at < index_count && SdlTextures::opaque_quad(*e, vertices, indices + at);
        if (at == index_count || opaque != run_opaque) {
            geometry(e->texture, vertices, vertex_count, indices + run, at - run,
                     run_opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
            run = at;
            run_opaque = opaque;
        }
    }
}

void SdlFrameSink::geometry(SDL_Texture* texture, const SpriteVertex* vertices, int vertex_count,
                            const std::uint16_t* indices, int index_count, SDL_BlendMode blend) {
    SDL_SetTextureBlendMode(texture, blend);
    SDL_RenderGeometryRaw(renderer_, texture, &vertices[0].x, sizeof(SpriteVertex), draw_colours_,
                          sizeof(SDL_Color), &vertices[0].u, sizeof(SpriteVertex), vertex_count, indices, index_count,
                          sizeof(std::uint16_t));
}
