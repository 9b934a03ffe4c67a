// The graphics device over an SDL renderer. The back buffer is a render
// target texture of the game's 1024 x 768; Present stretches it over the
// window. A GPU renderer's textures are managed (the backend keeps their
// texels and uploads them again after a device reset, so the game never
// reloads files); the software renderer's cannot be lost and are the only
// copy. Each frame is recorded and drawn at Present: an unchanged frame is
// not drawn at all, and a changed one from a cached layer of what it shares
// with the last one.

#include "platform/sdl/graphics_sdl.h"

#include <SDL.h>
#include <dirent.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/sdl_window.h"
#include "platform/sprite/render_device.h"
#include "platform/test_hooks.h"

namespace {

// The client size the game makes its window with: its logical screen.
constexpr UINT kGameClientWidth = 1024, kGameClientHeight = 768;

unsigned refusal_flags = RefuseNone;
bool refusal_read_from_environment = false;

bool software_gl_allowed_flag = false;
bool software_gl_allowed() {
    static const bool from_environment = [] {
        const char* v = std::getenv("POKOMARU_ALLOW_SOFTWARE_GL");
        return v && *v && std::strcmp(v, "0") != 0;
    }();
    return software_gl_allowed_flag || from_environment;
}

unsigned current_refusal() {
    if (!refusal_read_from_environment) {
        refusal_read_from_environment = true;
        if (const char* v = std::getenv("POKOMARU_REFUSE_RENDERERS")) {
            if (std::strcmp(v, "accelerated") == 0) refusal_flags |= RefuseAccelerated;
            if (std::strcmp(v, "all") == 0) refusal_flags |= RefuseAccelerated | RefuseSoftware;
        }
    }
    unsigned injected = RefuseNone;
    if (fault_injected(Fault::HardwareDevice)) injected |= RefuseAccelerated;
    if (fault_injected(Fault::AnyDevice)) injected |= RefuseAccelerated | RefuseSoftware;
    return refusal_flags | injected;
}

class SdlBackend final : public RenderBackend {
public:
    struct Entry {
        bool used = false;
        int width = 0, height = 0;
        // The managed copy, kept only where the renderer can lose its
        // textures (a GPU's); the software renderer's textures are the copy.
        std::vector<std::uint32_t> texels;
        // One flag per block of opaque_block x opaque_block texels: every
        // texel of the block has alpha 255.
        std::vector<std::uint8_t> opaque;
        std::uint64_t generation = 0;  // changes whenever the texels do
        SDL_Texture* texture = nullptr;
    };

    // A place in a frame: the commands before `command` whole, and the
    // first `index` indices of `command` (always whole quads).
    struct Position {
        std::size_t command = 0;
        int index = 0;
        bool operator==(const Position&) const = default;
        bool operator<=(const Position& o) const {
            return command < o.command || (command == o.command && index <= o.index);
        }
    };

    SDL_Renderer* renderer = nullptr;
    int max_side = 8192;
    bool keep_texels = true;
    std::atomic<bool> lost{false};  // set by the event watch
    bool cache_enabled = true;      // the cached unchanged prefix
    bool opaque_shortcut = true;    // opaque quads drawn without blending
    unsigned long cached_presents = 0;
    bool damage_enabled = true;     // redrawing only where the frame changed
    unsigned long damaged_presents = 0;

    ~SdlBackend() override {
        drop_layer();
        for (Entry& e : entries_)
            if (e.texture) SDL_DestroyTexture(e.texture), e.texture = nullptr;
    }

    BackendTexture create_texture(int width, int height) override {
        if (width <= 0 || height <= 0 || width > max_side || height > max_side) return 0;
        std::size_t slot = 0;
        while (slot < entries_.size() && entries_[slot].used) ++slot;
        if (slot == entries_.size()) entries_.emplace_back();
        Entry& e = entries_[slot];
        e.used = true;
        e.width = width;
        e.height = height;
        e.generation = ++texture_generation_;
        if (keep_texels) e.texels.assign(static_cast<std::size_t>(width) * height, 0);
        e.opaque.assign(static_cast<std::size_t>(blocks(width)) * blocks(height), 0);
        if (!upload(e)) {
            if (e.texture) SDL_DestroyTexture(e.texture);
            e = Entry{};
            return 0;
        }
        return static_cast<BackendTexture>(slot + 1);
    }

    bool update_texture(BackendTexture handle, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        Entry* e = find(handle);
        if (!e || !argb || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > e->width ||
            y + height > e->height || pitch < width)
            return false;
        e->generation = ++texture_generation_;
        note_opacity(*e, x, y, width, height, argb, pitch);
        const SDL_Rect area{x, y, width, height};
        if (!keep_texels)
            return e->texture && SDL_UpdateTexture(e->texture, &area, argb, pitch * 4) == 0;
        for (int row = 0; row < height; ++row)
            std::memcpy(&e->texels[static_cast<std::size_t>(y + row) * e->width + x],
                        argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(width) * 4);
        if (!e->texture) return true;  // uploaded whole at the reset
        return SDL_UpdateTexture(e->texture, &area, &e->texels[static_cast<std::size_t>(y) * e->width + x],
                                 e->width * 4) == 0;
    }

    void destroy_texture(BackendTexture handle) override {
        if (Entry* e = find(handle)) {
            ++texture_generation_;
            if (e->texture) SDL_DestroyTexture(e->texture);
            *e = Entry{};
        }
    }

    bool draw_triangles(BackendTexture handle, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        // A lost device accepts drawing and shows nothing, as Direct3D does.
        if (lost) return true;
        if (!renderer) return false;
        Entry* e = find(handle);
        if (!e || !e->texture || vertex_count <= 0 || index_count <= 0 || !vertices || !indices) return false;
        for (int i = 0; i < index_count; ++i)
            if (indices[i] >= vertex_count) return false;
        FrameCommand c{};
        c.kind = FrameCommand::Triangles;
        c.view = view;
        c.texture = handle;
        c.mode = mode;
        c.first_vertex = static_cast<int>(frame_.vertices.size());
        c.vertex_count = vertex_count;
        c.first_index = static_cast<int>(frame_.indices.size());
        c.index_count = index_count;
        for (int i = 0; i < vertex_count; ++i) {
            const SpriteVertex& v = vertices[i];
            SDL_Vertex o;
            o.position = {v.x, v.y};
            o.color = {static_cast<Uint8>(v.colour >> 16), static_cast<Uint8>(v.colour >> 8),
                       static_cast<Uint8>(v.colour), static_cast<Uint8>(v.colour >> 24)};
            o.tex_coord = {v.u, v.v};
            frame_.vertices.push_back(o);
        }
        frame_.indices.insert(frame_.indices.end(), indices, indices + index_count);
        frame_.commands.push_back(c);
        return true;
    }

    // A fill of the back buffer (Clear), relative to the viewport.
    void fill(const SDL_Rect& area, D3DCOLOR colour) {
        FrameCommand c{};
        c.kind = FrameCommand::Fill;
        c.view = view;
        c.area = area;
        c.colour = colour;
        frame_.commands.push_back(c);
    }

    // How far the frame drawn since the last present is the same, call for
    // call and texel for texel, as the frame presented last. Only a frame
    // that first covers the whole back buffer has a prefix: what it shows
    // then depends on its own drawing alone.
    Position unchanged_prefix(int back_width, int back_height) const {
        if (!presented_valid_ || frame_.commands.empty() || early_ ||
            !covers(frame_.commands.front(), back_width, back_height))
            return {};
        const std::size_t n = std::min(frame_.commands.size(), presented_.commands.size());
        for (std::size_t i = 0; i < n; ++i) {
            const FrameCommand& a = frame_.commands[i];
            const FrameCommand& b = presented_.commands[i];
            if (!a.same_call(b) || generation_of(a) != presented_generations_[i]) return {i, 0};
            if (a.kind == FrameCommand::Fill) continue;
            if (a.vertex_count == b.vertex_count && a.index_count == b.index_count &&
                std::memcmp(&frame_.indices[a.first_index], &presented_.indices[b.first_index],
                            sizeof(int) * a.index_count) == 0 &&
                std::memcmp(&frame_.vertices[a.first_vertex], &presented_.vertices[b.first_vertex],
                            sizeof(SDL_Vertex) * a.vertex_count) == 0)
                continue;
            // Which whole quads at the start of the call are the same.
            int same = 0;
            const int limit = std::min(a.index_count, b.index_count) / 6 * 6;
            while (same < limit && same_quad(a, b, same)) same += 6;
            return {i, same};
        }
        return {n, 0};
    }

    // Whether a prefix is the whole of the frame drawn and of the last one.
    bool whole_frame(const Position& prefix) const {
        return prefix.command > 0 && prefix.index == 0 && prefix.command == frame_.commands.size() &&
               prefix.command == presented_.commands.size();
    }

    // Draws what was recorded so far into the back buffer, for a read-back
    // in the middle of a frame; the present draws the rest.
    void replay_early() {
        if (!renderer) return;
        if (!frame_.commands.empty()) early_ = true, back_is_layer_and_tail_ = false;
        replay();
    }

    // Draws the frame into the back buffer: from the cached layer where the
    // frame starts as the last one did, and keeps the new unchanged prefix
    // as the layer for the next frame.
    void draw_frame(const Position& prefix, SDL_Texture* back_buffer, int width, int height, bool back_buffer_kept) {
        drawn_in_part_ = false;
        if (!renderer) return;
        const bool worth_it = prefix.command > 1 || (prefix.command == 1 && prefix.index > 0);
        const Position last_prefix = last_prefix_;
        last_prefix_ = prefix;
        if (back_buffer_kept && damage_enabled && cache_enabled && damaged_region(width, height, damage_)) {
            // The back buffer still shows the last frame: the new frame is
            // drawn again, but only inside the changed rectangles, each
            // starting from the cached layer where it holds the start of
            // this frame.
            keep_layer_up(prefix <= last_prefix ? prefix : last_prefix, prefix, width, height);
            const bool from_layer = layer_valid_ && layer_at_ <= prefix && layer_at_.command > 0;
            const Position start = from_layer ? layer_at_ : Position{};
            for (const SDL_Rect& area : damage_) {
                SDL_SetRenderTarget(renderer, back_buffer);
                SDL_RenderSetClipRect(renderer, nullptr);
                if (from_layer) copy_area(layer_, back_buffer, area);
                draw_clipped(frame_, area, start);
            }
            SDL_RenderSetClipRect(renderer, nullptr);
            if (from_layer) ++cached_presents;
            replayed_ = {frame_.commands.size(), 0};
            if (!(layer_at_ <= prefix)) layer_valid_ = false;
            back_is_layer_and_tail_ = false;
            ++damaged_presents;
            drawn_in_part_ = true;
            return;
        }
        if (!cache_enabled || !worth_it || early_ || !make_layer(width, height)) {
            // Whatever the layer holds stays right only below this frame's
            // unchanged prefix.
            if (early_ || !(layer_at_ <= prefix)) layer_valid_ = false;
            back_is_layer_and_tail_ = false;
            replay();
            return;
        }
        Position start{};
        if (layer_valid_ && layer_at_ <= prefix) {
            // The back buffer holds the layer with the last frame's tail on
            // it: putting back the layer under that tail is enough.
            if (back_is_layer_and_tail_)
                copy_area(layer_, back_buffer, tail_box_);
            else
                copy(layer_, back_buffer);
            start = layer_at_;
            ++cached_presents;
        }
        SDL_SetRenderTarget(renderer, back_buffer);
        draw(frame_, start, prefix, opaque_shortcut);
        if (!layer_valid_ || !(layer_at_ == prefix)) {
            copy(back_buffer, layer_);
            layer_at_ = prefix;
            layer_valid_ = true;
            SDL_SetRenderTarget(renderer, back_buffer);
        }
        replayed_ = prefix;
        replay();
        tail_box_ = area_drawn(frame_, prefix, width, height);
        back_is_layer_and_tail_ = true;
    }

    // Brings the cached layer up to `target`, the unchanged start this frame
    // shares with the last two (a held piece moving back and forth keeps
    // it): drawn on from where it stands, or again from the start when it
    // holds more than this frame shares with the last one.
    void keep_layer_up(const Position& target, const Position& prefix, int width, int height) {
        if (layer_valid_ && !(layer_at_ <= prefix)) layer_valid_ = false;
        const bool worth_it = target.command > 1 || (target.command == 1 && target.index > 0);
        if (!worth_it || (layer_valid_ && target <= layer_at_) || !make_layer(width, height)) return;
        const Position from = layer_valid_ ? layer_at_ : Position{};
        SDL_SetRenderTarget(renderer, layer_);
        draw(frame_, from, target, opaque_shortcut);
        layer_at_ = target;
        layer_valid_ = true;
    }

    // Draws the frame presented last in full, the plain way (no layer, no
    // shortcut), into the current render target.
    void draw_presented_in_full() { draw(presented_, {}, {presented_.commands.size(), 0}, false); }
    bool presented_covers(int back_width, int back_height) const {
        return presented_valid_ && !presented_.commands.empty() &&
               covers(presented_.commands.front(), back_width, back_height);
    }

    // Ends the frame: what was drawn becomes the presented frame, and the
    // next frame starts empty (the storage is kept, so frames allocate
    // nothing once the game runs).
    void end_frame(bool presented) {
        if (presented) {
            // A frame partly drawn before the present (a read-back) may have
            // met other texels: it is no prefix for the next one.
            std::swap(frame_, presented_);
            presented_generations_.resize(presented_.commands.size());
            for (std::size_t i = 0; i < presented_.commands.size(); ++i)
                presented_generations_[i] = generation_of(presented_.commands[i]);
            presented_valid_ = !early_;
            if (early_) layer_valid_ = false;
        }
        frame_.clear();
        replayed_ = {};
        early_ = false;
    }

    void forget_presented() {
        presented_valid_ = false;
        last_prefix_ = {};
        layer_valid_ = false;
        back_is_layer_and_tail_ = false;
    }

    SDL_Rect view{0, 0, 0, 0};  // the viewport commands are recorded with

    // The rectangles the last frame drawn was redrawn in, when it was drawn
    // only there; null when it was drawn in full.
    const std::vector<SDL_Rect>* drawn_part() const { return drawn_in_part_ ? &damage_ : nullptr; }

    bool blending_available() const override { return true; }
    int max_texture_size() const override { return max_side; }

    // Forgets the device side of every texture that has a managed copy, and
    // the cached layer. The software renderer's textures are not lost.
    void drop_device_textures() {
        drop_layer();
        if (!keep_texels) return;
        for (Entry& e : entries_)
            if (e.texture) SDL_DestroyTexture(e.texture), e.texture = nullptr;
    }

    // Makes the device side of every texture again from its texels.
    bool upload_all() {
        ++texture_generation_;
        forget_presented();
        bool ok = true;
        for (Entry& e : entries_) {
            if (!e.used) continue;
            e.generation = texture_generation_;
            if (!e.texture && !upload(e)) ok = false;
        }
        return ok;
    }

    void drop_layer() {
        if (layer_) SDL_DestroyTexture(layer_);
        layer_ = nullptr;
        layer_valid_ = false;
        back_is_layer_and_tail_ = false;
    }

private:
    void replay() {
        const Position end{frame_.commands.size(), 0};
        draw(frame_, replayed_, end, opaque_shortcut);
        replayed_ = end;
    }

    static constexpr int opaque_block = 8;
    static int blocks(int side) { return (side + opaque_block - 1) / opaque_block; }

    struct FrameCommand {
        enum Kind { Fill, Triangles } kind;
        SDL_Rect view;
        SDL_Rect area;
        D3DCOLOR colour;
        BackendTexture texture;
        BlendMode mode;
        int first_vertex, vertex_count, first_index, index_count;

        // The same call apart from its vertices and indices.
        bool same_call(const FrameCommand& o) const {
            if (kind != o.kind || !same_rect(view, o.view)) return false;
            if (kind == Fill) return same_rect(area, o.area) && colour == o.colour;
            return texture == o.texture && mode == o.mode && first_vertex == o.first_vertex &&
                   first_index == o.first_index;
        }
    };

    struct Frame {
        std::vector<FrameCommand> commands;
        std::vector<SDL_Vertex> vertices;
        std::vector<int> indices;

        void clear() {
            commands.clear();
            vertices.clear();
            indices.clear();
        }
    };

    Entry* find(BackendTexture handle) {
        if (handle == 0 || handle > entries_.size() || !entries_[handle - 1].used) return nullptr;
        return &entries_[handle - 1];
    }
    const Entry* find(BackendTexture handle) const {
        if (handle == 0 || handle > entries_.size() || !entries_[handle - 1].used) return nullptr;
        return &entries_[handle - 1];
    }
    std::uint64_t generation_of(const FrameCommand& c) const {
        if (c.kind == FrameCommand::Fill) return 0;
        const Entry* e = find(c.texture);
        return e ? e->generation : ~std::uint64_t{0};
    }

    static bool covers(const FrameCommand& c, int back_width, int back_height) {
        return c.kind == FrameCommand::Fill && c.view.x == 0 && c.view.y == 0 && c.area.x <= 0 && c.area.y <= 0 &&
               c.area.x + c.area.w >= back_width && c.area.y + c.area.h >= back_height && c.view.w >= back_width &&
               c.view.h >= back_height;
    }

    // Whether the quad at index `at` of two calls is the same quad.
    bool same_quad(const FrameCommand& a, const FrameCommand& b, int at) const {
        for (int k = at; k < at + 6; ++k) {
            const int ia = frame_.indices[a.first_index + k], ib = presented_.indices[b.first_index + k];
            if (ia != ib || ia >= a.vertex_count || ib >= b.vertex_count) return false;
            if (std::memcmp(&frame_.vertices[a.first_vertex + ia], &presented_.vertices[b.first_vertex + ib],
                            sizeof(SDL_Vertex)) != 0)
                return false;
        }
        return true;
    }

    // Keeps the opacity flags of the blocks an update touches: a block is
    // opaque when it is whole under the update and all opaque, or when it
    // was opaque and the part updated is too.
    void note_opacity(Entry& e, int x, int y, int width, int height, const std::uint32_t* argb, int pitch) {
        const int columns = blocks(e.width);
        for (int by = y / opaque_block; by <= (y + height - 1) / opaque_block; ++by)
            for (int bx = x / opaque_block; bx <= (x + width - 1) / opaque_block; ++bx) {
                const int x0 = bx * opaque_block, y0 = by * opaque_block;
                const int x1 = std::min(x0 + opaque_block, e.width), y1 = std::min(y0 + opaque_block, e.height);
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

    // Whether a quad draws only opaque pixels: opaque vertex colours, and
    // every texel its texture coordinates can reach (with a texel more on
    // each side for filtering) opaque. Blending it then changes nothing.
    bool opaque_quad(const Entry& e, const Frame& f, const FrameCommand& c, int at) const {
        float u0 = 2, v0 = 2, u1 = -1, v1 = -1;
        for (int k = at; k < at + 6; ++k) {
            const SDL_Vertex& v = f.vertices[c.first_vertex + f.indices[c.first_index + k]];
            if (v.color.a != 255) return false;
            u0 = std::min(u0, v.tex_coord.x), u1 = std::max(u1, v.tex_coord.x);
            v0 = std::min(v0, v.tex_coord.y), v1 = std::max(v1, v.tex_coord.y);
        }
        const int x0 = std::max(0, static_cast<int>(std::floor(u0 * e.width)) - 1);
        const int y0 = std::max(0, static_cast<int>(std::floor(v0 * e.height)) - 1);
        const int x1 = std::min(e.width - 1, static_cast<int>(std::ceil(u1 * e.width)) + 1);
        const int y1 = std::min(e.height - 1, static_cast<int>(std::ceil(v1 * e.height)) + 1);
        if (x1 < x0 || y1 < y0) return false;
        const int columns = blocks(e.width);
        for (int by = y0 / opaque_block; by <= y1 / opaque_block; ++by)
            for (int bx = x0 / opaque_block; bx <= x1 / opaque_block; ++bx)
                if (!e.opaque[static_cast<std::size_t>(by) * columns + bx]) return false;
        return true;
    }

    // Draws commands of a frame from one position to another into the
    // current render target.
    void draw(const Frame& f, Position from, Position to, bool shortcut) {
        SDL_Rect current{-1, -1, -1, -1};
        for (std::size_t i = from.command; i < f.commands.size() && (i < to.command || (i == to.command && to.index > 0)); ++i) {
            const FrameCommand& c = f.commands[i];
            const int begin = i == from.command ? from.index : 0;
            const int end = i == to.command ? to.index : c.index_count;
            if (!same_rect(c.view, current)) {
                SDL_RenderSetViewport(renderer, &c.view);
                current = c.view;
            }
            if (c.kind == FrameCommand::Fill) {
                SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
                SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(c.colour >> 16), static_cast<Uint8>(c.colour >> 8),
                                       static_cast<Uint8>(c.colour), 255);
                SDL_RenderFillRect(renderer, &c.area);
                continue;
            }
            const Entry* e = find(c.texture);
            if (!e || !e->texture || end <= begin) continue;
            if (c.mode != BlendMode::AlphaBlend || !shortcut || c.index_count % 6 != 0) {
                geometry(*e, f, c, begin, end,
                         c.mode == BlendMode::AlphaBlend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
                continue;
            }
            // Runs of opaque quads go without blending, the rest with it.
            int run = begin;
            bool run_opaque = opaque_quad(*e, f, c, begin);
            for (int at = begin + 6; at <= end; at += 6) {
                const bool opaque = at < end && opaque_quad(*e, f, c, at);
                if (at == end || opaque != run_opaque) {
                    geometry(*e, f, c, run, at, run_opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
                    run = at;
                    run_opaque = opaque;
                }
            }
        }
    }

    void geometry(const Entry& e, const Frame& f, const FrameCommand& c, int begin, int end, SDL_BlendMode blend) {
        SDL_SetTextureBlendMode(e.texture, blend);
        SDL_RenderGeometry(renderer, e.texture, &f.vertices[c.first_vertex], c.vertex_count,
                           &f.indices[c.first_index + begin], end - begin);
    }

    // The back-buffer pixels that indices [begin, end) of a command can
    // touch (the whole area of a fill): the vertices' bounding box with a
    // pixel more on each side for rounding and filtering, within the
    // command's viewport and the back buffer. Empty when nothing shows.
    static SDL_Rect bounds(const Frame& f, const FrameCommand& c, int begin, int end, int width, int height) {
        float l = 1e9f, t = 1e9f, r = -1e9f, b = -1e9f;
        if (c.kind == FrameCommand::Fill) {
            l = static_cast<float>(c.area.x), t = static_cast<float>(c.area.y);
            r = static_cast<float>(c.area.x + c.area.w), b = static_cast<float>(c.area.y + c.area.h);
        } else {
            for (int k = begin; k < end; ++k) {
                const SDL_FPoint& p = f.vertices[c.first_vertex + f.indices[c.first_index + k]].position;
                l = std::min(l, p.x), t = std::min(t, p.y), r = std::max(r, p.x), b = std::max(b, p.y);
            }
            if (!(r >= l && b >= t)) return {0, 0, 0, 0};
            // Far off-screen vertices must not overflow the conversion.
            l = std::max(l, -4.0f * width), t = std::max(t, -4.0f * height);
            r = std::min(r, 4.0f * width), b = std::min(b, 4.0f * height);
            l -= 1, t -= 1, r += 1, b += 1;
        }
        const int x0 = std::max({0, c.view.x, c.view.x + static_cast<int>(std::floor(l))});
        const int y0 = std::max({0, c.view.y, c.view.y + static_cast<int>(std::floor(t))});
        const int x1 = std::min({width, c.view.x + c.view.w, c.view.x + static_cast<int>(std::ceil(r))});
        const int y1 = std::min({height, c.view.y + c.view.h, c.view.y + static_cast<int>(std::ceil(b))});
        return x1 > x0 && y1 > y0 ? SDL_Rect{x0, y0, x1 - x0, y1 - y0} : SDL_Rect{0, 0, 0, 0};
    }

    static long long area_of(const SDL_Rect& r) { return static_cast<long long>(r.w) * r.h; }
    static SDL_Rect joined(const SDL_Rect& a, const SDL_Rect& b) {
        SDL_Rect u;
        SDL_UnionRect(&a, &b, &u);
        return u;
    }

    // Adds a rectangle to the damaged ones: joined with one it meets, and
    // the two that grow least joined when there would be too many.
    static void add_damage(std::vector<SDL_Rect>& rects, SDL_Rect r) {
        if (r.w <= 0 || r.h <= 0) return;
        for (bool merged = true; merged;) {
            merged = false;
            for (std::size_t i = 0; i < rects.size(); ++i)
                if (SDL_HasIntersection(&rects[i], &r)) {
                    r = joined(rects[i], r);
                    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(i));
                    merged = true;
                    break;
                }
        }
        rects.push_back(r);
        if (rects.size() <= max_damage_rects) return;
        std::size_t best_i = 0, best_j = 1;
        long long best = -1;
        for (std::size_t i = 0; i < rects.size(); ++i)
            for (std::size_t j = i + 1; j < rects.size(); ++j) {
                const long long growth = area_of(joined(rects[i], rects[j])) - area_of(rects[i]) - area_of(rects[j]);
                if (best < 0 || growth < best) best = growth, best_i = i, best_j = j;
            }
        const SDL_Rect u = joined(rects[best_i], rects[best_j]);
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(best_j));
        rects[best_i] = u;
        add_damage(rects, rects[best_i]);  // it may meet another now
    }

    // Where the frame drawn differs from the frame presented last, which
    // the back buffer still shows: the bounds of every quad, call or fill
    // that differs, in its old and its new version (added and removed ones
    // too; every quad of a texture whose texels changed). True when that is
    // small enough to redraw by parts: under half the back buffer, and both
    // frames start by clearing all of it, so redrawing a region from the
    // first command gives it exactly the pixels a full drawing would.
    bool damaged_region(int width, int height, std::vector<SDL_Rect>& rects) const {
        rects.clear();
        if (!presented_valid_ || early_ || frame_.commands.empty() || presented_.commands.empty() ||
            !covers(frame_.commands.front(), width, height) || !covers(presented_.commands.front(), width, height))
            return false;
        const long long limit = static_cast<long long>(width) * height / 2;
        auto whole = [&](const Frame& f, const FrameCommand& c) {
            add_damage(rects, bounds(f, c, 0, c.kind == FrameCommand::Fill ? 0 : c.index_count, width, height));
        };
        const std::size_t n = std::max(frame_.commands.size(), presented_.commands.size());
        for (std::size_t i = 0; i < n; ++i) {
            const FrameCommand* a = i < frame_.commands.size() ? &frame_.commands[i] : nullptr;
            const FrameCommand* b = i < presented_.commands.size() ? &presented_.commands[i] : nullptr;
            if (a && b && a->kind == b->kind && same_rect(a->view, b->view)) {
                if (a->kind == FrameCommand::Fill) {
                    if (same_rect(a->area, b->area) && a->colour == b->colour) continue;
                } else if (a->texture == b->texture && a->mode == b->mode &&
                           generation_of(*a) == presented_generations_[i] && a->index_count % 6 == 0 &&
                           b->index_count % 6 == 0) {
                    // The same call on the same texels: only the quads that
                    // moved, changed, came or went.
                    const int common = std::min(a->index_count, b->index_count);
                    for (int k = 0; k < common; k += 6)
                        if (!same_quad(*a, *b, k)) {
                            add_damage(rects, bounds(frame_, *a, k, k + 6, width, height));
                            add_damage(rects, bounds(presented_, *b, k, k + 6, width, height));
                        }
                    add_damage(rects, bounds(frame_, *a, common, a->index_count, width, height));
                    add_damage(rects, bounds(presented_, *b, common, b->index_count, width, height));
                    continue;
                }
            }
            if (a) whole(frame_, *a);
            if (b) whole(presented_, *b);
        }
        long long total = 0;
        for (const SDL_Rect& r : rects) total += area_of(r);
        return total < limit;
    }

    // Draws a frame again within one rectangle of the back buffer (the
    // current render target), every command in order as a full drawing
    // would, each quad that can touch the rectangle with the same blending;
    // the clip keeps every pixel outside as it was.
    void draw_clipped(const Frame& f, const SDL_Rect& area, Position from) {
        const int width = area.x + area.w, height = area.y + area.h;
        SDL_Rect current{-1, -1, -1, -1};
        for (std::size_t i = from.command; i < f.commands.size(); ++i) {
            const FrameCommand& c = f.commands[i];
            const int first = i == from.command ? from.index : 0;
            SDL_Rect clip;
            if (!SDL_IntersectRect(&area, &c.view, &clip)) continue;
            const bool fill = c.kind == FrameCommand::Fill;
            const SDL_Rect touched = bounds(f, c, first, fill ? 0 : c.index_count, width, height);
            if (!SDL_HasIntersection(&touched, &area)) continue;
            if (!same_rect(c.view, current)) {
                SDL_RenderSetViewport(renderer, &c.view);
                clip.x -= c.view.x, clip.y -= c.view.y;
                SDL_RenderSetClipRect(renderer, &clip);
                current = c.view;
            }
            if (fill) {
                SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
                SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(c.colour >> 16), static_cast<Uint8>(c.colour >> 8),
                                       static_cast<Uint8>(c.colour), 255);
                SDL_RenderFillRect(renderer, &c.area);
                continue;
            }
            const Entry* e = find(c.texture);
            if (!e || !e->texture) continue;
            const SDL_BlendMode blend = c.mode == BlendMode::AlphaBlend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE;
            if (c.index_count % 6 != 0) {
                geometry(*e, f, c, first, c.index_count, blend);
                continue;
            }
            // The quads that reach the rectangle, in their order, in runs of
            // one blending as the full drawing has them.
            const bool shortcut = opaque_shortcut && c.mode == BlendMode::AlphaBlend;
            picked_.clear();
            bool run_opaque = false;
            for (int at = first; at < c.index_count; at += 6) {
                const SDL_Rect quad = bounds(f, c, at, at + 6, width, height);
                if (!SDL_HasIntersection(&quad, &area)) continue;
                const bool opaque = shortcut && opaque_quad(*e, f, c, at);
                if (!picked_.empty() && opaque != run_opaque) {
                    picked_geometry(*e, f, c, run_opaque ? SDL_BLENDMODE_NONE : blend);
                    picked_.clear();
                }
                run_opaque = opaque;
                picked_.insert(picked_.end(), &f.indices[c.first_index + at], &f.indices[c.first_index + at + 6]);
            }
            if (!picked_.empty()) picked_geometry(*e, f, c, run_opaque ? SDL_BLENDMODE_NONE : blend);
        }
    }

    void picked_geometry(const Entry& e, const Frame& f, const FrameCommand& c, SDL_BlendMode blend) {
        SDL_SetTextureBlendMode(e.texture, blend);
        SDL_RenderGeometry(renderer, e.texture, &f.vertices[c.first_vertex], c.vertex_count, picked_.data(),
                           static_cast<int>(picked_.size()));
    }

    bool make_layer(int width, int height) {
        int w = 0, h = 0;
        if (layer_ && SDL_QueryTexture(layer_, nullptr, nullptr, &w, &h) == 0 && w == width && h == height)
            return true;
        drop_layer();
        layer_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
        if (!layer_) return false;
        SDL_SetTextureBlendMode(layer_, SDL_BLENDMODE_NONE);
        return true;
    }

    // The back-buffer pixels that commands of a frame from a position on can
    // touch: their vertices' bounding box (with a pixel more on each side
    // for rounding and filtering) within their viewports.
    SDL_Rect area_drawn(const Frame& f, Position from, int width, int height) const {
        int x0 = width, y0 = height, x1 = 0, y1 = 0;
        auto add = [&](const SDL_Rect& view, float left, float top, float right, float bottom) {
            const int l = std::max({0, view.x, view.x + static_cast<int>(std::floor(left)) - 1});
            const int t = std::max({0, view.y, view.y + static_cast<int>(std::floor(top)) - 1});
            const int r = std::min({width, view.x + view.w, view.x + static_cast<int>(std::ceil(right)) + 1});
            const int b = std::min({height, view.y + view.h, view.y + static_cast<int>(std::ceil(bottom)) + 1});
            if (r <= l || b <= t) return;
            x0 = std::min(x0, l), y0 = std::min(y0, t), x1 = std::max(x1, r), y1 = std::max(y1, b);
        };
        for (std::size_t i = from.command; i < f.commands.size(); ++i) {
            const FrameCommand& c = f.commands[i];
            if (c.kind == FrameCommand::Fill) {
                add(c.view, static_cast<float>(c.area.x), static_cast<float>(c.area.y),
                    static_cast<float>(c.area.x + c.area.w), static_cast<float>(c.area.y + c.area.h));
                continue;
            }
            float l = 1e9f, t = 1e9f, r = -1e9f, b = -1e9f;
            for (int k = i == from.command ? from.index : 0; k < c.index_count; ++k) {
                const SDL_FPoint& p = f.vertices[c.first_vertex + f.indices[c.first_index + k]].position;
                l = std::min(l, p.x), t = std::min(t, p.y), r = std::max(r, p.x), b = std::max(b, p.y);
            }
            if (r >= l) add(c.view, l, t, r, b);
        }
        return x1 > x0 && y1 > y0 ? SDL_Rect{x0, y0, x1 - x0, y1 - y0} : SDL_Rect{0, 0, 0, 0};
    }

    // Copies part of one target texture onto the same place of another.
    void copy_area(SDL_Texture* from, SDL_Texture* to, const SDL_Rect& area) {
        if (area.w <= 0 || area.h <= 0) return;
        SDL_SetRenderTarget(renderer, to);
        SDL_RenderSetViewport(renderer, nullptr);
        SDL_RenderCopy(renderer, from, &area, &area);
    }

    // Copies one whole target texture onto another of the same size.
    void copy(SDL_Texture* from, SDL_Texture* to) {
        SDL_SetRenderTarget(renderer, to);
        SDL_RenderSetViewport(renderer, nullptr);
        SDL_RenderCopy(renderer, from, nullptr, nullptr);
    }

    bool upload(Entry& e) {
        if (!renderer) return false;
        if (e.texture) SDL_DestroyTexture(e.texture);
        e.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, e.width, e.height);
        if (!e.texture) return false;
        SDL_SetTextureScaleMode(e.texture, SDL_ScaleModeLinear);
        if (keep_texels) return SDL_UpdateTexture(e.texture, nullptr, e.texels.data(), e.width * 4) == 0;
        // Cleared to transparent black a band of rows at a time.
        const int band = std::max(1, std::min(e.height, 65536 / e.width));
        std::vector<std::uint32_t> zeros(static_cast<std::size_t>(e.width) * band, 0);
        for (int y = 0; y < e.height; y += band) {
            const SDL_Rect area{0, y, e.width, std::min(band, e.height - y)};
            if (SDL_UpdateTexture(e.texture, &area, zeros.data(), e.width * 4) != 0) return false;
        }
        return true;
    }

    static bool same_rect(const SDL_Rect& a, const SDL_Rect& b) {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    }

    std::vector<Entry> entries_;
    Frame frame_;      // drawn since the last present
    Frame presented_;  // what the last present showed
    std::vector<std::uint64_t> presented_generations_;  // its textures' generations when it was drawn
    bool presented_valid_ = false;
    Position replayed_;  // of frame_, already drawn
    bool early_ = false;  // part of frame_ was drawn for a read-back
    std::uint64_t texture_generation_ = 0;
    // The back buffer after the first layer_at_ of the presented frame.
    SDL_Texture* layer_ = nullptr;
    Position layer_at_;
    bool layer_valid_ = false;
    // The back buffer is the layer with the commands after layer_at_ of the
    // presented frame drawn on it, all within tail_box_.
    bool back_is_layer_and_tail_ = false;
    SDL_Rect tail_box_{0, 0, 0, 0};
    static constexpr std::size_t max_damage_rects = 4;
    std::vector<SDL_Rect> damage_;  // where the frame being drawn differs from the last
    bool drawn_in_part_ = false;    // the last frame was drawn only inside damage_
    std::vector<int> picked_;       // indices of the quads redrawn in a rectangle
    Position last_prefix_;          // the unchanged start of the frame drawn last
};

class SdlDevice final : public IDirect3DDevice9 {
public:
    SdlDevice(PlatformWindow* window, SDL_Renderer* renderer) : window_(window) {
        backend_.renderer = renderer;
        SDL_RendererInfo info{};
        if (SDL_GetRendererInfo(renderer, &info) == 0) {
            name_ = info.name ? info.name : "";
            const int side = std::min(info.max_texture_width, info.max_texture_height);
            if (side > 0) backend_.max_side = side;  // 0: no limit of its own
            // Only a GPU's textures can be lost; the software renderer's
            // are plain memory and need no second copy.
            backend_.keep_texels = (info.flags & SDL_RENDERER_SOFTWARE) == 0;
            software_ = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
        }
        SDL_AddEventWatch(&SdlDevice::watch_events, this);
    }

    // Makes the back buffer for params. A size of 0 takes the client size
    // the game made its window with, 1024 x 768, and writes it back: a
    // window manager may have resized the window before the device was
    // made, and the game's picture is laid out for that size.
    HRESULT make_back_buffer(D3DPRESENT_PARAMETERS* params) {
        if (params->BackBufferWidth == 0) params->BackBufferWidth = kGameClientWidth;
        if (params->BackBufferHeight == 0) params->BackBufferHeight = kGameClientHeight;
        if (params->BackBufferFormat == D3DFMT_UNKNOWN) params->BackBufferFormat = D3DFMT_X8R8G8B8;
        const int w = static_cast<int>(params->BackBufferWidth), h = static_cast<int>(params->BackBufferHeight);
        if (w <= 0 || h <= 0 || w > backend_.max_side || h > backend_.max_side) return D3DERR_INVALIDCALL;
        backend_.forget_presented();
        window_current_ = false;
        if (back_buffer_) SDL_DestroyTexture(back_buffer_);
        back_buffer_ = SDL_CreateTexture(backend_.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
        if (!back_buffer_) return D3DERR_OUTOFVIDEOMEMORY;
        SDL_SetTextureScaleMode(back_buffer_, SDL_ScaleModeLinear);
        SDL_SetTextureBlendMode(back_buffer_, SDL_BLENDMODE_NONE);
        width_ = w;
        height_ = h;
        viewport_ = {0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0.0f, 1.0f};
        target_back_buffer();
        SDL_SetRenderDrawColor(backend_.renderer, 0, 0, 0, 255);
        SDL_RenderClear(backend_.renderer);
        return S_OK;
    }

    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
        if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
            viewport->X + viewport->Width > static_cast<DWORD>(width_) ||
            viewport->Y + viewport->Height > static_cast<DWORD>(height_))
            return D3DERR_INVALIDCALL;
        viewport_ = *viewport;
        if (!backend_.lost) target_back_buffer();
        return S_OK;
    }

    HRESULT Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD) override {
        if (rect_count > 0 && !rects) return D3DERR_INVALIDCALL;
        if (backend_.lost) return S_OK;  // as on a lost device: accepted, nothing happens
        if (!(flags & D3DCLEAR_TARGET)) return S_OK;
        const SDL_Rect view = viewport_rect();
        if (rect_count == 0) {
            backend_.fill(SDL_Rect{0, 0, view.w, view.h}, colour);
            return S_OK;
        }
        for (DWORD i = 0; i < rect_count; ++i) {
            SDL_Rect area{rects[i].x1 - view.x, rects[i].y1 - view.y, rects[i].x2 - rects[i].x1,
                          rects[i].y2 - rects[i].y1};
            if (area.w > 0 && area.h > 0) backend_.fill(area, colour);
        }
        return S_OK;
    }

    HRESULT BeginScene() override {
        if (in_scene_) return D3DERR_INVALIDCALL;
        in_scene_ = true;
        return S_OK;
    }

    HRESULT EndScene() override {
        if (!in_scene_) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        return S_OK;
    }

    // Draws the frame recorded since the last present, unless it would show
    // exactly what the window already shows: the same drawing on the same
    // textures at the same window size, with nothing exposed since. A title
    // screen standing still then costs next to nothing. Otherwise the part
    // of the frame that starts it as it started the last one comes from the
    // cached layer, and only the rest is drawn.
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
        if (backend_.lost) {
            backend_.end_frame(false);
            window_current_ = false;
            return D3DERR_DEVICELOST;
        }
        SDL_Renderer* r = backend_.renderer;
        int out_w = 0, out_h = 0;
        SDL_GetRendererOutputSize(r, &out_w, &out_h);
        const bool resized = out_w != presented_w_ || out_h != presented_h_;
        const bool window_unchanged = !resized && !exposed_.exchange(false);
        const SdlBackend::Position prefix = backend_.unchanged_prefix(width_, height_);
        const bool forced = forced_;
        forced_ = false;
        if (window_unchanged && !forced && backend_.whole_frame(prefix)) {
            ++skipped_presents_;
            backend_.end_frame(true);
            check_presented();
            return S_OK;
        }
        target_back_buffer();
        // After a resize the back buffer is drawn in full: nothing of the
        // window's old picture is trusted.
        backend_.draw_frame(prefix, back_buffer_, width_, height_, !resized);
        SDL_SetRenderTarget(r, nullptr);
        SDL_RenderSetViewport(r, nullptr);
        // The software renderer's window surface keeps what was copied to it
        // until the window changes (every window event, resizes included,
        // marks it exposed): when it shows the last frame at the back
        // buffer's own size, only the rectangles redrawn need copying.
        const std::vector<SDL_Rect>* part = backend_.drawn_part();
        // The window's own size too: the renderer may report its output
        // size before the surface is made again for a new one.
        int window_w = 0, window_h = 0;
        SDL_GetWindowSize(sdl_window_of(window_), &window_w, &window_h);
        const bool window_same = window_w == presented_window_w_ && window_h == presented_window_h_;
        presented_window_w_ = window_w;
        presented_window_h_ = window_h;
        if (part && window_unchanged && window_same && window_current_ && out_w == width_ && out_h == height_ &&
            window_w == width_ && window_h == height_) {
            for (const SDL_Rect& area : *part) SDL_RenderCopy(r, back_buffer_, &area, &area);
        } else {
            // The copy covers the whole window: nothing to clear under it.
            SDL_RenderCopy(r, back_buffer_, nullptr, nullptr);  // stretched over the client area
        }
        SDL_RenderPresent(r);
        window_current_ = software_;
        presented_w_ = out_w;
        presented_h_ = out_h;
        backend_.end_frame(true);
        check_presented();
        target_back_buffer();
#if defined(__GLIBC__)
        // The window's old surfaces were freed for the new size: give the
        // memory back rather than keep it for a size that may never return.
        if (resized) malloc_trim(0);
#endif
        return backend_.lost ? D3DERR_DEVICELOST : S_OK;
    }

    // With checking on, every present also draws its frame in full the
    // plain way (no cached layer, no unblended shortcut) and compares the
    // two pictures pixel for pixel.
    void set_checking(bool on) {
        checking_ = on;
        check_ = FrameCheck{};
        cached_before_check_ = backend_.cached_presents;
        damaged_before_check_ = backend_.damaged_presents;
    }
    const FrameCheck& check() const { return check_; }
    SdlBackend& backend_state() { return backend_; }

    void check_presented() {
        if (!checking_ || backend_.lost) return;
        if (!backend_.presented_covers(width_, height_)) {
            ++check_.unchecked;
            return;
        }
        SDL_Renderer* r = backend_.renderer;
        if (!check_target_) {
            check_target_ = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width_, height_);
            if (!check_target_) return;
        }
        SDL_SetRenderTarget(r, check_target_);
        backend_.draw_presented_in_full();
        SDL_SetRenderTarget(r, check_target_);
        SDL_RenderSetViewport(r, nullptr);
        const SDL_Rect all{0, 0, width_, height_};
        std::vector<std::uint32_t> full(static_cast<std::size_t>(width_) * height_),
            shown(static_cast<std::size_t>(width_) * height_);
        SDL_RenderReadPixels(r, &all, SDL_PIXELFORMAT_ARGB8888, full.data(), width_ * 4);
        SDL_SetRenderTarget(r, back_buffer_);
        SDL_RenderSetViewport(r, nullptr);
        SDL_RenderReadPixels(r, &all, SDL_PIXELFORMAT_ARGB8888, shown.data(), width_ * 4);
        // Where only part of the back buffer was copied to the window, the
        // window must show all of it all the same.
        if (window_current_ && out_size_is_back_buffer()) {
            std::vector<std::uint32_t> window(static_cast<std::size_t>(width_) * height_);
            SDL_SetRenderTarget(r, nullptr);
            SDL_RenderSetViewport(r, nullptr);
            if (SDL_RenderReadPixels(r, &all, SDL_PIXELFORMAT_ARGB8888, window.data(), width_ * 4) == 0) {
                ++check_.window_frames;
                for (std::size_t i = 0; i < window.size(); ++i)
                    if ((window[i] | 0xFF000000u) != (shown[i] | 0xFF000000u)) {
                        if (check_.window_differing_frames++ == 0) {
                            check_.window_first_frame = check_.frames + 1;
                            check_.window_first_x = static_cast<int>(i % width_);
                            check_.window_first_y = static_cast<int>(i / width_);
                        }
                        break;
                    }
            }
        }
        target_back_buffer();
        ++check_.frames;
        check_.cached = backend_.cached_presents - cached_before_check_;
        check_.damaged = backend_.damaged_presents - damaged_before_check_;
        for (std::size_t i = 0; i < full.size(); ++i)
            if ((full[i] | 0xFF000000u) != (shown[i] | 0xFF000000u)) {
                if (check_.differing_frames++ == 0) {
                    check_.first_frame = check_.frames;
                    check_.first_x = static_cast<int>(i % width_);
                    check_.first_y = static_cast<int>(i / width_);
                    check_.full = full[i] | 0xFF000000u;
                    check_.shown = shown[i] | 0xFF000000u;
                }
                break;
            }
    }

    bool out_size_is_back_buffer() const {
        int w = 0, h = 0, window_w = 0, window_h = 0;
        SDL_GetWindowSize(sdl_window_of(window_), &window_w, &window_h);
        return SDL_GetRendererOutputSize(backend_.renderer, &w, &h) == 0 && w == width_ && h == height_ &&
               window_w == width_ && window_h == height_;
    }

    unsigned long skipped_presents() const { return skipped_presents_; }
    void force_redraw() { forced_ = true; }

    HRESULT TestCooperativeLevel() override { return backend_.lost ? D3DERR_DEVICENOTRESET : S_OK; }

    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
        if (!params || !params->Windowed) return D3DERR_INVALIDCALL;
        in_scene_ = false;
        backend_.drop_device_textures();
        if (check_target_) SDL_DestroyTexture(check_target_), check_target_ = nullptr;
        const HRESULT made = make_back_buffer(params);
        if (FAILED(made)) return made;
        if (!backend_.upload_all()) return D3DERR_DEVICELOST;
        backend_.lost = false;
        return S_OK;
    }

    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

    RenderBackend* backend() { return &backend_; }

    bool read_back_buffer(std::vector<std::uint32_t>& argb, int& width, int& height) {
        if (backend_.lost || !back_buffer_) return false;
        SDL_Renderer* r = backend_.renderer;
        target_back_buffer();
        backend_.replay_early();  // what was drawn since the last present, if anything
        SDL_SetRenderTarget(r, back_buffer_);
        SDL_RenderSetViewport(r, nullptr);
        argb.resize(static_cast<std::size_t>(width_) * height_);
        const SDL_Rect all{0, 0, width_, height_};
        const bool ok = SDL_RenderReadPixels(r, &all, SDL_PIXELFORMAT_ARGB8888, argb.data(), width_ * 4) == 0;
        target_back_buffer();
        if (!ok) return false;
        for (std::uint32_t& p : argb) p |= 0xFF000000u;  // the back buffer has no alpha (X8R8G8B8)
        width = width_;
        height = height_;
        return true;
    }

    const std::string& name() const { return name_; }

    void simulate_loss() {
        backend_.drop_device_textures();
        SDL_Event event{};
        event.type = SDL_RENDER_DEVICE_RESET;
        SDL_PushEvent(&event);
        backend_.lost = true;  // also when the event queue is not running
    }

private:
    ~SdlDevice() override {
        SDL_DelEventWatch(&SdlDevice::watch_events, this);
        backend_.drop_device_textures();
        if (check_target_) SDL_DestroyTexture(check_target_);
        if (back_buffer_) SDL_DestroyTexture(back_buffer_);
        if (backend_.renderer) SDL_DestroyRenderer(backend_.renderer);
        backend_.renderer = nullptr;
    }

    // Runs for every event as it is queued, so the loss is seen even though
    // the window layer's message pump takes the events.
    static int SDLCALL watch_events(void* self, SDL_Event* event) {
        auto* device = static_cast<SdlDevice*>(self);
        if (event->type == SDL_RENDER_TARGETS_RESET || event->type == SDL_RENDER_DEVICE_RESET)
            device->backend_.lost = true;
        if (event->type == SDL_WINDOWEVENT) device->exposed_ = true;  // shown, exposed, resized, restored...
        return 0;
    }

    SDL_Rect viewport_rect() const {
        return {static_cast<int>(viewport_.X), static_cast<int>(viewport_.Y), static_cast<int>(viewport_.Width),
                static_cast<int>(viewport_.Height)};
    }

    void target_back_buffer() {
        SDL_SetRenderTarget(backend_.renderer, back_buffer_);
        const SDL_Rect view = viewport_rect();
        SDL_RenderSetViewport(backend_.renderer, &view);
        backend_.view = view;
    }

    PlatformWindow* window_;
    SdlBackend backend_;
    SDL_Texture* back_buffer_ = nullptr;
    int width_ = 0, height_ = 0;
    D3DVIEWPORT9 viewport_{};
    bool in_scene_ = false;
    UINT references_ = 1;
    std::string name_;
    int presented_w_ = -1, presented_h_ = -1;
    std::atomic<bool> exposed_{true};
    bool forced_ = false;  // the next present draws even an unchanged frame
    unsigned long skipped_presents_ = 0;
    bool checking_ = false;
    FrameCheck check_;
    unsigned long cached_before_check_ = 0;
    unsigned long damaged_before_check_ = 0;
    bool software_ = false;         // SDL's software renderer
    // The window surface shows the last frame presented (only the software
    // renderer's keeps it; a GPU's buffers are undefined after a swap).
    bool window_current_ = false;
    int presented_window_w_ = -1, presented_window_h_ = -1;  // the window's size at the last present
    SDL_Texture* check_target_ = nullptr;
};

// Whether a GL renderer string names a software rasteriser.
bool names_software_rasteriser(const char* renderer) {
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

// Whether an accelerated SDL renderer just made draws through a software
// rasteriser after all: its GL context is current, so the renderer string
// can be asked without making anything else.
bool renders_in_software(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned gl_renderer = 0x1F01;  // GL_RENDERER
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    return get_string && names_software_rasteriser(reinterpret_cast<const char*>(get_string(gl_renderer)));
}

// Makes an accelerated renderer, refusing one that is OpenGL on a software
// rasteriser: SDL's own software renderer is faster and leaves the whole GL
// stack unmapped.
SDL_Renderer* accelerated_renderer(SDL_Window* window, int index) {
    if (!software_gl_allowed() && only_software_gl_here()) {
        SDL_SetError("the only OpenGL here is a software rasteriser");
        return nullptr;
    }
    SDL_Renderer* r = SDL_CreateRenderer(window, index, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    if (r && !software_gl_allowed() && renders_in_software(r)) {
        SDL_DestroyRenderer(r);
        SDL_SetError("the accelerated renderer draws in software");
        return nullptr;
    }
    return r;
}

SDL_Renderer* make_renderer(SDL_Window* window, D3DDEVTYPE type, DWORD behaviour) {
    const unsigned refusal = current_refusal();
    if (type == D3DDEVTYPE_HAL) {
        if (refusal & RefuseAccelerated) {
            SDL_SetError("accelerated renderer refused");
            return nullptr;
        }
        if (behaviour & D3DCREATE_HARDWARE_VERTEXPROCESSING) return accelerated_renderer(window, -1);
        // Software vertex processing: any accelerated driver, one by one.
        for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
            SDL_RendererInfo info{};
            if (SDL_GetRenderDriverInfo(i, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED)) continue;
            if (SDL_Renderer* r = accelerated_renderer(window, i)) return r;
        }
        return nullptr;
    }
    if (type == D3DDEVTYPE_REF) {
        if (refusal & RefuseSoftware) {
            SDL_SetError("software renderer refused");
            return nullptr;
        }
        // Without this SDL backs the software renderer's window with an
        // OpenGL texture, mapping the whole GL stack for one copy a frame.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    }
    return nullptr;
}

class SdlDirect3D final : public IDirect3D9 {
public:
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus_window, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!params || adapter != D3DADAPTER_DEFAULT || !params->Windowed) return D3DERR_INVALIDCALL;
        if (!(behaviour & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
            return D3DERR_INVALIDCALL;
        PlatformWindow* window = params->hDeviceWindow ? params->hDeviceWindow : focus_window;
        if (!sdl_window_of(window) || window->destroyed) return D3DERR_INVALIDCALL;
        if (SDL_GetRenderer(sdl_window_of(window))) return D3DERR_NOTAVAILABLE;  // one device per window

        SDL_Renderer* renderer = make_renderer(sdl_window_of(window), type, behaviour);
        if (!renderer) return D3DERR_NOTAVAILABLE;
        SDL_RendererInfo info{};
        if (SDL_GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_TARGETTEXTURE)) {
            SDL_DestroyRenderer(renderer);
            return D3DERR_NOTAVAILABLE;
        }
        auto* made = new SdlDevice(window, renderer);
        const HRESULT result = made->make_back_buffer(params);
        if (FAILED(result)) {
            made->Release();
            return result;
        }
        *device = made;
        return S_OK;
    }

    UINT Release() override {
        const UINT left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    ~SdlDirect3D() override = default;
    UINT references_ = 1;
};

}  // namespace

bool only_software_gl_here() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v && std::strcmp(v, "0") != 0 && std::strcmp(v, "false") != 0;
    };
    if (set("LIBGL_ALWAYS_SOFTWARE")) return true;
    if (const char* driver = std::getenv("GALLIUM_DRIVER"); names_software_rasteriser(driver)) return true;
    // A GPU's driver gives it a render node; without one Mesa can only
    // rasterise on the CPU.
    bool render_node = false;
    if (DIR* dri = opendir("/dev/dri")) {
        while (const dirent* entry = readdir(dri))
            if (std::strncmp(entry->d_name, "renderD", 7) == 0) render_node = true;
        closedir(dri);
    }
    return !render_node;
}

IDirect3D9* Direct3DCreate9(UINT sdk_version) {
    if (sdk_version != D3D_SDK_VERSION || fault_injected(Fault::Direct3D)) return nullptr;
#if defined(__GLIBC__)
    // Before the atlas, the fonts and the window's surfaces are allocated:
    // buffers of 128 KiB and more get their own mappings, given back to the
    // system when freed, so resizing the window leaves no freed surfaces
    // behind in the heap; and a heap top of more than 1 MiB free is trimmed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return new SdlDirect3D();
}

void sdl_graphics_allow_software_gl(bool allow) { software_gl_allowed_flag = allow; }

void sdl_graphics_set_frame_cache(IDirect3DDevice9* device, bool cached_prefix, bool opaque_shortcut) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) {
        sdl->backend_state().cache_enabled = cached_prefix;
        sdl->backend_state().opaque_shortcut = opaque_shortcut;
        sdl->backend_state().forget_presented();
    }
}

void sdl_graphics_check_frames(IDirect3DDevice9* device, bool on) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) sdl->set_checking(on);
}

FrameCheck sdl_graphics_frame_check(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->check() : FrameCheck{};
}

void sdl_graphics_set_damage_redraw(IDirect3DDevice9* device, bool on) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) {
        sdl->backend_state().damage_enabled = on;
        sdl->backend_state().forget_presented();
    }
}

unsigned long sdl_graphics_damaged_presents(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->backend_state().damaged_presents : 0;
}

unsigned long sdl_graphics_cached_presents(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->backend_state().cached_presents : 0;
}

void sdl_graphics_refuse_renderers(unsigned refusal) {
    current_refusal();
    refusal_flags = refusal;
}

const char* sdl_graphics_renderer_name(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->name().c_str() : nullptr;
}

unsigned long sdl_graphics_skipped_presents(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->skipped_presents() : 0;
}

void sdl_graphics_force_redraw(IDirect3DDevice9* device) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) sdl->force_redraw();
}

void sdl_graphics_simulate_device_loss(IDirect3DDevice9* device) {
    if (auto* sdl = dynamic_cast<SdlDevice*>(device)) sdl->simulate_loss();
}

RenderBackend* render_backend_of(IDirect3DDevice9* device) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl ? sdl->backend() : nullptr;
}

// The SDL device owns its backend and ends it with itself.
void release_render_backend(IDirect3DDevice9*) {}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    auto* sdl = dynamic_cast<SdlDevice*>(device);
    return sdl && sdl->read_back_buffer(argb, width, height);
}
