// The frame recorder's answers on the CPU alone: what makes a frame differ
// from the last one, how long a start two frames share, and that redrawing
// only the damage rectangles gives the picture a full drawing gives.

#include "platform/frame_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int W = 64, H = 48;
const PixelRect kAll{0, 0, W, H};

// Paints clears and axis-aligned quads (the box of their vertices, in the
// first vertex's colour) into a W x H picture, within the clip.
class PictureSink final : public FrameSink {
public:
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(W * H, 0);

    void clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) override {
        paint({view.x + area.x, view.y + area.y, area.w, area.h}, view, colour);
    }
    void draw_triangles(const PixelRect& view, BackendTexture, const SpriteVertex* v, int, const std::uint16_t* idx,
                        int count, BlendMode) override {
        for (int q = 0; q + 6 <= count; q += 6) {
            float l = 1e9f, t = 1e9f, r = -1e9f, b = -1e9f;
            for (int k = q; k < q + 6; ++k)
                l = std::min(l, v[idx[k]].x), t = std::min(t, v[idx[k]].y), r = std::max(r, v[idx[k]].x),
                b = std::max(b, v[idx[k]].y);
            const int x0 = static_cast<int>(std::floor(l)), y0 = static_cast<int>(std::floor(t));
            paint({view.x + x0, view.y + y0, static_cast<int>(std::ceil(r)) - x0, static_cast<int>(std::ceil(b)) - y0},
                  view, v[idx[q]].colour);
        }
    }
    void set_clip(const PixelRect* c) override { clip_ = c ? *c : kAll; }

private:
    void paint(const PixelRect& r, const PixelRect& view, std::uint32_t colour) {
        const PixelRect in = rect_meeting(rect_meeting(r, view), clip_);
        for (int y = in.y; y < in.y + in.h; ++y)
            for (int x = in.x; x < in.x + in.w; ++x) pixels[y * W + x] = colour;
    }
    PixelRect clip_ = kAll;
};

struct Quad {
    float x, y, w, h;
    std::uint32_t colour;
};

// A frame of a full clear and one draw of quads on texture 1.
void record(FrameRecorder& r, std::uint32_t clear_colour, const std::vector<Quad>& quads, std::uint64_t generation) {
    r.record_clear(kAll, kAll, clear_colour);
    std::vector<SpriteVertex> v;
    std::vector<std::uint16_t> idx;
    for (const Quad& q : quads) {
        const auto b = static_cast<std::uint16_t>(v.size());
        v.push_back({q.x, q.y, q.colour, 0, 0});
        v.push_back({q.x + q.w, q.y, q.colour, 1, 0});
        v.push_back({q.x + q.w, q.y + q.h, q.colour, 1, 1});
        v.push_back({q.x, q.y + q.h, q.colour, 0, 1});
        for (int k : {0, 1, 2, 0, 2, 3}) idx.push_back(static_cast<std::uint16_t>(b + k));
    }
    if (!quads.empty())
        ASSERT_TRUE(r.record_triangles(kAll, 1, v.data(), static_cast<int>(v.size()), idx.data(),
                                       static_cast<int>(idx.size()), BlendMode::AlphaBlend));
    r.stamp_generations([&](BackendTexture) { return generation; });
}

const std::vector<Quad> kQuads{{2, 2, 8, 8, 0xFFFF0000u}, {20, 10, 6, 6, 0xFF00FF00u}, {40, 30, 10, 5, 0xFF0000FFu}};

// Presents one frame and records the next; returns the prefix of the second.
FramePosition second_after(FrameRecorder& r, std::uint32_t clear2, const std::vector<Quad>& quads2,
                           std::uint64_t generation2) {
    record(r, 0xFF101010u, kQuads, 7);
    r.end_frame(true);
    record(r, clear2, quads2, generation2);
    return unchanged_prefix(r.frame(), *r.presented(), W, H);
}

TEST(FrameRecorder, RepeatsOnlyTheSameDrawingOnTheSameTexels) {
    FrameRecorder same;
    const FramePosition p = second_after(same, 0xFF101010u, kQuads, 7);
    EXPECT_TRUE(whole_frame(p, same.frame(), *same.presented()));

    FrameRecorder texels;  // the texture's generation changed
    EXPECT_EQ(second_after(texels, 0xFF101010u, kQuads, 8), (FramePosition{1, 0}));

    FrameRecorder colour;  // the clear colour changed: nothing is shared
    EXPECT_EQ(second_after(colour, 0xFF202020u, kQuads, 7), (FramePosition{0, 0}));

    std::vector<Quad> moved = kQuads;  // the second quad moved: the first quad is still shared
    moved[1].x += 1;
    FrameRecorder m;
    const FramePosition q = second_after(m, 0xFF101010u, moved, 7);
    EXPECT_EQ(q, (FramePosition{1, 6}));
    EXPECT_FALSE(whole_frame(q, m.frame(), *m.presented()));

    std::vector<Quad> more = kQuads;  // a quad more at the end
    more.push_back({1, 40, 3, 3, 0xFFFFFFFFu});
    FrameRecorder longer;
    const FramePosition l = second_after(longer, 0xFF101010u, more, 7);
    EXPECT_EQ(l, (FramePosition{1, 18}));
    EXPECT_FALSE(whole_frame(l, longer.frame(), *longer.presented()));

    // A frame that does not start with a full clear has no prefix at all.
    FrameRecorder partial;
    record(partial, 0xFF101010u, kQuads, 7);
    partial.end_frame(true);
    partial.record_clear(kAll, {0, 0, W / 2, H}, 0xFF101010u);
    EXPECT_EQ(unchanged_prefix(partial.frame(), *partial.presented(), W, H), (FramePosition{0, 0}));
}

TEST(FrameRecorder, RefusesIndicesOutsideTheVertices) {
    FrameRecorder r;
    const SpriteVertex v[3]{};
    const std::uint16_t idx[3]{0, 1, 3};
    EXPECT_FALSE(r.record_triangles(kAll, 1, v, 3, idx, 3, BlendMode::Opaque));
    EXPECT_TRUE(r.frame().commands.empty());
}

// Redrawing the last picture only inside the damage rectangles gives
// exactly the full drawing of the new frame.
void expect_damage_redraw_is_full(const std::vector<Quad>& next) {
    FrameRecorder r;
    record(r, 0xFF101010u, kQuads, 7);
    PictureSink shown;
    replay(r.frame(), {}, r.frame().end(), shown);
    r.end_frame(true);
    record(r, 0xFF101010u, next, 7);
    std::vector<PixelRect> rects;
    ASSERT_TRUE(damage_rects(r.frame(), *r.presented(), W, H, rects));
    EXPECT_LE(rects.size(), kMaxDamageRects);
    std::vector<std::uint16_t> picked;
    for (const PixelRect& area : rects) {
        shown.set_clip(nullptr);
        replay_within(r.frame(), area, {}, shown, picked);
    }
    PictureSink full;
    replay(r.frame(), {}, r.frame().end(), full);
    EXPECT_EQ(shown.pixels, full.pixels);
}

TEST(FrameRecorder, DamageCoversEveryChangedPixel) {
    std::vector<Quad> moved = kQuads;
    moved[0].x += 5, moved[2].y -= 4;
    expect_damage_redraw_is_full(moved);
    std::vector<Quad> gone(kQuads.begin(), kQuads.begin() + 1);
    expect_damage_redraw_is_full(gone);
    std::vector<Quad> many;  // more changes than rectangles: joined
    for (int i = 0; i < 8; ++i) many.push_back({2.0f + 7 * i, 40, 3, 3, 0xFF00FFFFu});
    many.insert(many.begin(), kQuads.begin(), kQuads.end());
    expect_damage_redraw_is_full(many);
}

}  // namespace
