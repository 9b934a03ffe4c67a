#include "platform/frame_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool rects_meet(const PixelRect& a, const PixelRect& b) {
    return !a.empty() && !b.empty() && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

PixelRect rect_meeting(const PixelRect& a, const PixelRect& b) {
    if (!rects_meet(a, b)) return {};
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

PixelRect rect_joining(const PixelRect& a, const PixelRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

bool FrameCommand::same_call(const FrameCommand& o) const {
    if (kind != o.kind || !(view == o.view)) return false;
    if (kind == Clear) return area == o.area && colour == o.colour;
    return texture == o.texture && mode == o.mode && first_vertex == o.first_vertex && first_index == o.first_index;
}

void RecordedFrame::clear() {
    commands.clear();
    vertices.clear();
    indices.clear();
}

bool RecordedFrame::starts_with_full_clear(int width, int height) const {
    if (commands.empty()) return false;
    const FrameCommand& c = commands.front();
    return c.kind == FrameCommand::Clear && c.view.x == 0 && c.view.y == 0 && c.area.x <= 0 && c.area.y <= 0 &&
           c.area.x + c.area.w >= width && c.area.y + c.area.h >= height && c.view.w >= width &&
           c.view.h >= height;
}

PixelRect command_bounds(const RecordedFrame& f, const FrameCommand& c, int begin, int end, int width, int height) {
    float l = 1e9f, t = 1e9f, r = -1e9f, b = -1e9f;
    if (c.kind == FrameCommand::Clear) {
        l = static_cast<float>(c.area.x), t = static_cast<float>(c.area.y);
        r = static_cast<float>(c.area.x + c.area.w), b = static_cast<float>(c.area.y + c.area.h);
    } else {
        for (int k = begin; k < end; ++k) {
            const SpriteVertex& p = f.vertices[c.first_vertex + f.indices[c.first_index + k]];
            l = std::min(l, p.x), t = std::min(t, p.y), r = std::max(r, p.x), b = std::max(b, p.y);
        }
        if (!(r >= l && b >= t)) return {};
        // Far off-screen vertices must not overflow the conversion.
        l = std::max(l, -4.0f * width), t = std::max(t, -4.0f * height);
        r = std::min(r, 4.0f * width), b = std::min(b, 4.0f * height);
        l -= 1, t -= 1, r += 1, b += 1;
    }
    const int x0 = std::max({0, c.view.x, c.view.x + static_cast<int>(std::floor(l))});
    const int y0 = std::max({0, c.view.y, c.view.y + static_cast<int>(std::floor(t))});
    const int x1 = std::min({width, c.view.x + c.view.w, c.view.x + static_cast<int>(std::ceil(r))});
    const int y1 = std::min({height, c.view.y + c.view.h, c.view.y + static_cast<int>(std::ceil(b))});
    return x1 > x0 && y1 > y0 ? PixelRect{x0, y0, x1 - x0, y1 - y0} : PixelRect{};
}

PixelRect area_drawn(const RecordedFrame& f, FramePosition from, int width, int height) {
    PixelRect all{};
    for (std::size_t i = from.command; i < f.commands.size(); ++i) {
        const FrameCommand& c = f.commands[i];
        all = rect_joining(all, command_bounds(f, c, i == from.command ? from.index : 0, c.index_count, width, height));
    }
    return all;
}

namespace {

// Whether the quad at index `at` of two calls is the same quad.
bool same_quad(const RecordedFrame& fa, const FrameCommand& a, const RecordedFrame& fb, const FrameCommand& b,
               int at) {
    for (int k = at; k < at + 6; ++k) {
        const int ia = fa.indices[a.first_index + k], ib = fb.indices[b.first_index + k];
        if (ia != ib || ia >= a.vertex_count || ib >= b.vertex_count) return false;
        if (std::memcmp(&fa.vertices[a.first_vertex + ia], &fb.vertices[b.first_vertex + ib], sizeof(SpriteVertex)) !=
            0)
            return false;
    }
    return true;
}

long long area_of(const PixelRect& r) { return static_cast<long long>(r.w) * r.h; }

// Adds a rectangle to the damaged ones: joined with one it meets, and the
// two that grow least joined when there would be too many.
void add_damage(std::vector<PixelRect>& rects, PixelRect r) {
    if (r.empty()) return;
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < rects.size(); ++i)
            if (rects_meet(rects[i], r)) {
                r = rect_joining(rects[i], r);
                rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(i));
                merged = true;
                break;
            }
    }
    rects.push_back(r);
    if (rects.size() <= kMaxDamageRects) return;
    std::size_t best_i = 0, best_j = 1;
    long long best = -1;
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const long long growth = area_of(rect_joining(rects[i], rects[j])) - area_of(rects[i]) - area_of(rects[j]);
            if (best < 0 || growth < best) best = growth, best_i = i, best_j = j;
        }
    const PixelRect u = rect_joining(rects[best_i], rects[best_j]);
    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(best_j));
    rects[best_i] = u;
    add_damage(rects, u);  // it may meet another now
}

}  // namespace

FramePosition unchanged_prefix(const RecordedFrame& now, const RecordedFrame& last, int width, int height) {
    if (!now.starts_with_full_clear(width, height)) return {};
    const std::size_t n = std::min(now.commands.size(), last.commands.size());
    for (std::size_t i = 0; i < n; ++i) {
        const FrameCommand& a = now.commands[i];
        const FrameCommand& b = last.commands[i];
        if (!a.same_call(b) || a.generation != b.generation) return {i, 0};
        if (a.kind == FrameCommand::Clear) continue;
        if (a.vertex_count == b.vertex_count && a.index_count == b.index_count &&
            std::memcmp(&now.indices[a.first_index], &last.indices[b.first_index],
                        sizeof(std::uint16_t) * a.index_count) == 0 &&
            std::memcmp(&now.vertices[a.first_vertex], &last.vertices[b.first_vertex],
                        sizeof(SpriteVertex) * a.vertex_count) == 0)
            continue;
        // Which whole quads at the start of the call are the same.
        int same = 0;
        const int limit = std::min(a.index_count, b.index_count) / 6 * 6;
        while (same < limit && same_quad(now, a, last, b, same)) same += 6;
        return {i, same};
    }
    return {n, 0};
}

bool whole_frame(const FramePosition& prefix, const RecordedFrame& now, const RecordedFrame& last) {
    return prefix.command > 0 && prefix.index == 0 && prefix.command == now.commands.size() &&
           prefix.command == last.commands.size();
}

bool damage_rects(const RecordedFrame& now, const RecordedFrame& last, int width, int height,
                  std::vector<PixelRect>& rects) {
    rects.clear();
    if (!now.starts_with_full_clear(width, height) || !last.starts_with_full_clear(width, height)) return false;
    auto whole = [&](const RecordedFrame& f, const FrameCommand& c) {
        add_damage(rects, command_bounds(f, c, 0, c.index_count, width, height));
    };
    const std::size_t n = std::max(now.commands.size(), last.commands.size());
    for (std::size_t i = 0; i < n; ++i) {
        const FrameCommand* a = i < now.commands.size() ? &now.commands[i] : nullptr;
        const FrameCommand* b = i < last.commands.size() ? &last.commands[i] : nullptr;
        if (a && b && a->kind == b->kind && a->view == b->view) {
            if (a->kind == FrameCommand::Clear) {
                if (a->area == b->area && a->colour == b->colour) continue;
            } else if (a->texture == b->texture && a->mode == b->mode && a->generation == b->generation &&
                       a->index_count % 6 == 0 && b->index_count % 6 == 0) {
                // The same call on the same texels: only the quads that
                // moved, changed, came or went.
                const int common = std::min(a->index_count, b->index_count);
                for (int k = 0; k < common; k += 6)
                    if (!same_quad(now, *a, last, *b, k)) {
                        add_damage(rects, command_bounds(now, *a, k, k + 6, width, height));
                        add_damage(rects, command_bounds(last, *b, k, k + 6, width, height));
                    }
                add_damage(rects, command_bounds(now, *a, common, a->index_count, width, height));
                add_damage(rects, command_bounds(last, *b, common, b->index_count, width, height));
                continue;
            }
        }
        if (a) whole(now, *a);
        if (b) whole(last, *b);
    }
    long long total = 0;
    for (const PixelRect& r : rects) total += area_of(r);
    return total < static_cast<long long>(width) * height / 2;
}

void replay(const RecordedFrame& f, FramePosition from, FramePosition to, FrameSink& sink) {
    for (std::size_t i = from.command;
         i < f.commands.size() && (i < to.command || (i == to.command && to.index > 0)); ++i) {
        const FrameCommand& c = f.commands[i];
        if (c.kind == FrameCommand::Clear) {
            sink.clear(c.view, c.area, c.colour);
            continue;
        }
        const int begin = i == from.command ? from.index : 0;
        const int end = i == to.command ? to.index : c.index_count;
        if (end <= begin) continue;
        sink.draw_triangles(c.view, c.texture, &f.vertices[c.first_vertex], c.vertex_count,
                            &f.indices[c.first_index + begin], end - begin, c.mode);
    }
}

void replay_within(const RecordedFrame& f, const PixelRect& area, FramePosition from, FrameSink& sink,
                   std::vector<std::uint16_t>& picked) {
    const int width = area.x + area.w, height = area.y + area.h;
    PixelRect current{-1, -1, -1, -1};
    for (std::size_t i = from.command; i < f.commands.size(); ++i) {
        const FrameCommand& c = f.commands[i];
        const int first = i == from.command ? from.index : 0;
        const PixelRect clip = rect_meeting(area, c.view);
        if (clip.empty()) continue;
        if (!rects_meet(command_bounds(f, c, first, c.index_count, width, height), area)) continue;
        if (!(c.view == current)) {
            sink.set_clip(&clip);
            current = c.view;
        }
        if (c.kind == FrameCommand::Clear) {
            sink.clear(c.view, c.area, c.colour);
            continue;
        }
        const SpriteVertex* vertices = &f.vertices[c.first_vertex];
        if (c.index_count % 6 != 0) {
            sink.draw_triangles(c.view, c.texture, vertices, c.vertex_count, &f.indices[c.first_index + first],
                                c.index_count - first, c.mode);
            continue;
        }
        // The quads that reach the rectangle, in their order.
        picked.clear();
        for (int at = first; at < c.index_count; at += 6)
            if (rects_meet(command_bounds(f, c, at, at + 6, width, height), area))
                picked.insert(picked.end(), &f.indices[c.first_index + at], &f.indices[c.first_index + at + 6]);
        if (!picked.empty())
            sink.draw_triangles(c.view, c.texture, vertices, c.vertex_count, picked.data(),
                                static_cast<int>(picked.size()), c.mode);
    }
}

void FrameRecorder::record_clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) {
    FrameCommand c;
    c.kind = FrameCommand::Clear;
    c.view = view;
    c.area = area;
    c.colour = colour;
    frame_.commands.push_back(c);
}

bool FrameRecorder::record_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                                     int vertex_count, const std::uint16_t* indices, int index_count,
                                     BlendMode mode) {
    if (!vertices || !indices || vertex_count <= 0 || index_count <= 0) return false;
    for (int i = 0; i < index_count; ++i)
        if (indices[i] >= vertex_count) return false;
    FrameCommand c;
    c.kind = FrameCommand::Triangles;
    c.view = view;
    c.texture = texture;
    c.mode = mode;
    c.first_vertex = static_cast<int>(frame_.vertices.size());
    c.vertex_count = vertex_count;
    c.first_index = static_cast<int>(frame_.indices.size());
    c.index_count = index_count;
    frame_.vertices.insert(frame_.vertices.end(), vertices, vertices + vertex_count);
    frame_.indices.insert(frame_.indices.end(), indices, indices + index_count);
    frame_.commands.push_back(c);
    return true;
}

void FrameRecorder::stamp_generations(const std::function<std::uint64_t(BackendTexture)>& generation_of) {
    for (FrameCommand& c : frame_.commands)
        if (c.kind == FrameCommand::Triangles) c.generation = generation_of(c.texture);
}

void FrameRecorder::end_frame(bool comparable) {
    if (comparable) std::swap(frame_, presented_);
    presented_valid_ = comparable;
    frame_.clear();
}
