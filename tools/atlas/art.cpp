#include "art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "map_fit.h"
#include "raster.h"
#include "portraits/portrait.h"

namespace atlas {

using namespace piece_geometry;

namespace {

constexpr double kPi = 3.14159265358979323846;

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
Rgba rgb(float r, float g, float b, float a = 1) { return {r, g, b, a}; }
Rgba mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
Rgba with_alpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }
const Rgba kWhite = rgb(255, 255, 255);
const Rgba kBlack = rgb(0, 0, 0);

// Coverage of a shape given by its signed distance at a pixel centre.
float fill(float sd) { return clamp01(0.5f - sd); }
float sd_circle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }
float sd_round_box(float x, float y, float l, float t, float r, float b, float radius) {
    float cx = (l + r) / 2, cy = (t + b) / 2;
    float hx = (r - l) / 2 - radius, hy = (b - t) / 2 - radius;
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - radius;
}
float sd_segment(float x, float y, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - ax - t * dx, y - ay - t * dy);
}

// Region colours: nine regions and the capital, well apart in hue.
const Rgba kRegionColours[kRegionCount + 1] = {
    rgb(244, 158, 76),   // 南部: orange
    rgb(234, 128, 168),  // 南西部: pink
    rgb(238, 204, 84),   // 県央: yellow
    rgb(86, 184, 214),   // 東部: sky
    rgb(156, 204, 96),   // 西部: leaf green
    rgb(172, 146, 222),  // 川越比企: lavender
    rgb(108, 146, 226),  // 北部: blue
    rgb(80, 166, 124),   // 秩父: forest
    rgb(212, 168, 116),  // 利根: wheat
    rgb(230, 92, 82),    // さいたま市: coral red
};

Rgba shade_variant(Rgba base, int level) {
    switch (level) {
        case 1: return mix(base, kWhite, 0.30f);
        case 2: return mix(base, kBlack, 0.14f);
        case 3: return mix(base, kWhite, 0.52f);
        case 4: return mix(base, kBlack, 0.26f);
        default: return base;
    }
}

Frame inner_frame(int i) {
    Box b = drawn_box(i);
    Frame f;
    f.origin_x = b.left;
    f.origin_y = b.top;
    f.w = int(b.right - b.left);
    f.h = int(b.bottom - b.top);
    return f;
}

}  // namespace

void paint_municipalities(Image& atlas, const MapRings& rings, const std::vector<MunicipalityRow>& rows) {
    const int n = kMunicipalityCount;
    std::vector<Field> cover(n);
    for (int i = 0; i < n; ++i) cover[size_t(i)] = coverage(rings[size_t(i)], inner_frame(i));

    // Who owns each screen pixel, to find neighbours.
    const int sw = 1024, sh = 568;
    std::vector<int> owner(size_t(sw) * sh, -1);
    std::vector<float> best(size_t(sw) * sh, 0.5f);
    for (int i = 0; i < n; ++i) {
        Frame f = inner_frame(i);
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                int X = int(f.origin_x) + x, Y = int(f.origin_y) + y;
                float c = cover[size_t(i)].at(x, y);
                if (X < sw && Y < sh && c >= best[size_t(Y) * sw + size_t(X)]) {
                    best[size_t(Y) * sw + size_t(X)] = c;
                    owner[size_t(Y) * sw + size_t(X)] = i;
                }
            }
    }
    std::vector<std::vector<int>> touching(n, std::vector<int>(n, 0));
    for (int y = 0; y + 1 < sh; ++y)
        for (int x = 0; x + 1 < sw; ++x) {
            int a = owner[size_t(y) * sw + size_t(x)];
            for (int b : {owner[size_t(y) * sw + size_t(x + 1)], owner[size_t(y + 1) * sw + size_t(x)]})
                if (a >= 0 && b >= 0 && a != b) { ++touching[size_t(a)][size_t(b)]; ++touching[size_t(b)][size_t(a)]; }
        }
    // Within a region, neighbours get different lightness; greedy in row order.
    std::vector<int> level(n, -1);
    for (int i = 0; i < n; ++i) {
        bool used[5] = {};
        for (int j = 0; j < n; ++j)
            if (level[size_t(j)] >= 0 && touching[size_t(i)][size_t(j)] >= 4 &&
                rows[size_t(j)].region == rows[size_t(i)].region)
                used[level[size_t(j)]] = true;
        int l = 0;
        while (l < 4 && used[l]) ++l;
        level[size_t(i)] = l;
    }

    for (int i = 0; i < n; ++i) {
        Frame f = inner_frame(i);
        Field dist = edge_distance(rings[size_t(i)], f, 8.0f);
        const Field& cov = cover[size_t(i)];
        Rgba base = shade_variant(kRegionColours[rows[size_t(i)].region], level[size_t(i)]);
        Rgba border = mix(base, rgb(30, 36, 52), 0.55f);
        const auto& g = kMunicipalities[i];
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                float c = cov.at(x, y);
                Rgba col{0, 0, 0, 0};
                if (c > 0) {
                    float d = dist.at(x, y);
                    bool inside = c >= 0.5f;
                    col = mix(base, kWhite, 0.07f * (1.0f - float(y) / float(f.h)));
                    if (inside) {
                        float gx = (dist.at(std::min(x + 1, f.w - 1), y) - dist.at(std::max(x - 1, 0), y)) * 0.5f;
                        float gy = (dist.at(x, std::min(y + 1, f.h - 1)) - dist.at(x, std::max(y - 1, 0))) * 0.5f;
                        float bump = std::exp(-(d - 2.4f) * (d - 2.4f) / (2 * 1.4f * 1.4f));
                        float light = bump * (gx + gy) * 0.7071f;
                        col = light > 0 ? mix(col, kWhite, 0.50f * light) : mix(col, kBlack, 0.28f * -light);
                    }
                    float wb = inside ? clamp01(1.35f - d) : 1.0f;
                    col = mix(col, border, 0.9f * wb);
                    col.a = c;
                }
                atlas.set(g.atlas_x + kMarginPixels + x, g.atlas_y + kMarginPixels + y, col);
            }
    }
}

void paint_background(Image& atlas, const MapRings& rings) {
    const int w = kBackground.right - kBackground.left, h = kBackground.bottom - kBackground.top;
    const int tw = kBackgroundTile.right - kBackgroundTile.left, th = kBackgroundTile.bottom - kBackgroundTile.top;
    // The prefecture as the sum of its pieces, so that the hairline seams
    // between neighbours do not show in the guide.
    Field u;
    u.w = w;
    u.h = h;
    u.v.assign(size_t(w) * size_t(h), 0.0f);
    for (int i = 0; i < kMunicipalityCount; ++i) {
        Frame f = inner_frame(i);
        Field c = coverage(rings[size_t(i)], f);
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                int X = int(f.origin_x) + x, Y = int(f.origin_y) + y;
                if (X < w && Y < h) u.at(X, Y) = std::min(1.0f, u.at(X, Y) + c.at(x, y));
            }
    }
    Field soft = blur(u, 1, 2);
    Field shadow = blur(u, 4, 3);

    // Texture periodic in the tile; the vertical texture coordinate is
    // stretched a little below the tile so that the picture's last row
    // runs on into the tile's first row, where the band below begins.
    struct Wave { int fx, fy; double phase, amp; };
    std::vector<Wave> waves;
    std::uint32_t seed = 12345;
    auto rnd = [&] { seed = seed * 1664525u + 1013904223u; return (seed >> 8) / double(1u << 24); };
    for (int k = 0; k < 10; ++k) {
        int fx = 1 + int(rnd() * 4), fy = int(rnd() * 3) - 1;
        waves.push_back({fx, fy, rnd() * 2 * kPi, 0.15 + rnd() * 0.3});
    }
    std::vector<float> grain(size_t(tw) * th);
    for (auto& g : grain) g = float(rnd() - 0.5);
    const double periods = std::round(double(h) / th);  // whole periods over the picture
    auto tex_v = [&](double y) {
        if (y < th) return y;
        return th + (y - th) * (periods * th - th) / (h - th);
    };
    const Rgba sky = rgb(214, 230, 240), paper = rgb(240, 242, 232);
    const Rgba guide_fill = rgb(200, 214, 224), guide_line = rgb(112, 138, 164);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double v = tex_v(y + 0.5);
            double t = 0;
            for (const auto& wv : waves)
                t += wv.amp * std::sin(2 * kPi * (wv.fx * (x + 0.5) / tw + wv.fy * v / th) + wv.phase);
            int gv = int(std::floor(v)) % th;
            t += 2.4 * grain[size_t(gv) * tw + size_t(x % tw)];
            float glow = 0;
            if (y >= th) glow = float(std::pow(std::sin(kPi * (y + 0.5 - th) / (h - th)), 2));
            Rgba c = mix(sky, paper, 0.25f + 0.6f * glow);
            c.r += float(t);
            c.g += float(t);
            c.b += float(t * 0.8);
            // The guide, kept out of the tile corner and off the last rows.
            float keep = clamp01(float(std::max(x + 0.5 - tw, y + 0.5 - th)) / 10.0f) *
                         clamp01(float(h - 0.5 - y) / 6.0f);
            float inside = soft.at(x, y);
            float sx = shadow.at(std::max(0, x - 3), std::max(0, y - 4));
            c = mix(c, kBlack, keep * 0.10f * sx * (1 - u.at(x, y)));
            c = mix(c, guide_fill, keep * 0.55f * inside);
            float line = clamp01(4.0f * inside * (1 - inside));
            c = mix(c, guide_line, keep * 0.6f * line);
            atlas.set(x, y, c);
        }
}

namespace {

// A picture composed of layers with coverage, drawn over transparency.
void layer(Rgba& acc, Rgba c, float coverage) {
    float a = c.a * coverage;
    if (a <= 0) return;
    float oa = a + acc.a * (1 - a);
    acc = {(c.r * a + acc.r * acc.a * (1 - a)) / oa, (c.g * a + acc.g * acc.a * (1 - a)) / oa,
           (c.b * a + acc.b * acc.a * (1 - a)) / oa, oa};
}

}  // namespace

void paint_buttons(Image& atlas) {
    // A cream face for the red caption (as wide as the longest, もう一度)
    // inside a deep blue frame. Faded to
    // alpha 180 while idle, the frame lets the pale band through and turns
    // light; hovered it is at full strength, so the hover shows. Pressed,
    // the face turns warm yellow, the frame darker and the button sits lower.
    for (int pressed = 0; pressed < 2; ++pressed) {
        const AtlasRect& r = pressed ? kButtonPressed : kButton;
        const float dy = pressed ? 2.0f : 0.0f;
        const Rgba frame_top = pressed ? rgb(22, 62, 120) : rgb(46, 104, 184);
        const Rgba frame_bottom = pressed ? rgb(14, 42, 92) : rgb(26, 70, 142);
        const Rgba face_top = pressed ? rgb(255, 226, 132) : rgb(255, 251, 238);
        const Rgba face_bottom = pressed ? rgb(250, 208, 102) : rgb(246, 236, 206);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                float px = float(x - r.left) + 0.5f, py = float(y - r.top) + 0.5f;
                Rgba acc{0, 0, 0, 0};
                float sds = sd_round_box(px, py, 3, 2 + (pressed ? 3.0f : 5.0f), 125, 61.5f, 15);
                layer(acc, with_alpha(rgb(20, 30, 60), 0.34f), smoothstep(2.5f, -1.5f, sds));
                float sd = sd_round_box(px, py, 3, 2 + dy, 125, 59 + dy, 15);
                float t = clamp01((py - 2 - dy) / 57.0f);
                layer(acc, mix(frame_top, frame_bottom, t), fill(sd));
                // A light edge along the frame's top, a shine the pressed one has lost.
                if (!pressed) layer(acc, with_alpha(rgb(150, 196, 246), 0.8f), fill(sd + 1.5f) * smoothstep(0.12f, 0.0f, t) * (1 - fill(sd + 3.0f)));
                float sdf = sd_round_box(px, py, 7, 8 + dy, 121, 53 + dy, 9);
                Rgba face = mix(face_top, face_bottom, clamp01((py - 8 - dy) / 45.0f));
                layer(acc, face, fill(sdf));
                layer(acc, mix(frame_bottom, kBlack, 0.25f), clamp01(1.0f - std::fabs(sdf + 0.5f) / 0.9f));
                layer(acc, rgb(16, 28, 56), clamp01(1.0f - std::fabs(sd + 0.7f) / 1.0f));
                atlas.set(x, y, acc);
            }
    }
}

void paint_hint_button_and_marker(Image& atlas) {
    for (int pressed = 0; pressed < 2; ++pressed) {
        const AtlasRect& r = pressed ? kHintButtonPressed : kHintButton;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                Rgba acc{0, 0, 0, 0};
                layer(acc, with_alpha(rgb(40, 50, 70), 0.25f), fill(sd_circle(px, py, 16, 17.2f, 14.6f)));
                float sd = sd_circle(px, py, 16, 16, 14.5f);
                Rgba top = pressed ? rgb(246, 200, 96) : rgb(255, 238, 176);
                Rgba bottom = pressed ? rgb(226, 160, 60) : rgb(244, 200, 100);
                Rgba body = mix(top, bottom, clamp01(py / 30.0f));
                layer(acc, body, fill(sd));
                layer(acc, rgb(170, 120, 40), clamp01(1.0f - std::fabs(sd + 0.8f) / 1.0f));
                // The magnifier: a lens ring and a handle.
                float lx = 13.5f, ly = 13.5f, lr = 6.2f;
                float lens = fill(sd_circle(px, py, lx, ly, lr));
                layer(acc, with_alpha(pressed ? rgb(255, 250, 214) : rgb(206, 232, 248), 0.95f), lens);
                layer(acc, with_alpha(kWhite, 0.7f), fill(sd_circle(px, py, lx - 2.2f, ly - 2.2f, 1.6f)));
                layer(acc, rgb(58, 70, 98), fill(std::fabs(sd_circle(px, py, lx, ly, lr)) - 1.3f));
                layer(acc, rgb(58, 70, 98), fill(sd_segment(px, py, 18.4f, 18.4f, 23.6f, 23.6f) - 2.1f));
                atlas.set(r.left + x, r.top + y, acc);
            }
    }
    // The slot marker: a target that reads on any colour of the map.
    const AtlasRect& m = kSlotMarker;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            Rgba acc{0, 0, 0, 0};
            float d = std::hypot(px - 16, py - 16);
            layer(acc, with_alpha(rgb(252, 252, 246), 0.85f), fill(d - 13.2f) * (1 - fill(d - 8.0f)));
            layer(acc, rgb(44, 62, 96), fill(std::fabs(d - 11.0f) - 1.6f));
            layer(acc, rgb(44, 62, 96), fill(std::fabs(d - 5.5f) - 1.0f));
            layer(acc, rgb(226, 70, 70), fill(d - 2.4f));
            atlas.set(m.left + x, m.top + y, acc);
        }
}

void paint_mascots(Image& atlas, const std::vector<portraits::Look>& looks) {
    for (const auto& look : looks) {
        const portraits::Picture pic = portraits::paint_portrait(look);
        const int ax = mascot_atlas_x(look.index), ay = mascot_atlas_y(look.index);
        for (int y = 0; y < kMascotSize; ++y)
            for (int x = 0; x < kMascotSize; ++x) {
                const portraits::Pixel& p = pic[size_t(y) * kMascotSize + size_t(x)];
                atlas.set(ax + x, ay + y, {p.r, p.g, p.b, p.a});
            }
    }
}

Image paint_window_icon(int size, const MapRings& rings, const std::vector<MunicipalityRow>& rows) {
    Image icon(size, size);
    const float s = float(size);
    // The solved map spans (7, 7) to (1020, 566) on screen.
    const double map_w = 1013, map_h = 559;
    const double scale = (s - 3.0) / map_w;
    Frame f;
    f.scale = scale;
    f.w = size;
    f.h = size;
    f.origin_x = 7 - (s - map_w * scale) / 2 / scale;
    f.origin_y = 7 - (s - map_h * scale) / 2 / scale + (size >= 32 ? 1.0 / scale : 0.5 / scale);
    std::vector<Field> cover;
    for (const auto& m : rings) cover.push_back(coverage(m, f));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            Rgba acc{0, 0, 0, 0};
            float sd = sd_round_box(px, py, 0.5f, 0.5f, s - 0.5f, s - 0.5f, s * 0.22f);
            Rgba bg = mix(rgb(246, 248, 238), rgb(214, 232, 244), clamp01(py / s));
            layer(acc, bg, fill(sd));
            layer(acc, rgb(52, 104, 168), clamp01(1.0f - std::fabs(sd + 0.7f) / (size >= 32 ? 1.0f : 0.8f)));
            float sum = 0;
            Rgba c{0, 0, 0, 0};
            for (size_t i = 0; i < cover.size(); ++i) {
                float a = cover[i].at(x, y);
                if (a <= 0) continue;
                Rgba k = kRegionColours[rows[i].region];
                c.r += k.r * a; c.g += k.g * a; c.b += k.b * a;
                sum += a;
            }
            if (sum > 0) {
                Rgba m{c.r / sum, c.g / sum, c.b / sum, 1};
                layer(acc, mix(m, kBlack, 0.08f), std::min(1.0f, sum) * fill(sd + 1.5f));
            }
            icon.set(x, y, acc);
        }
    return icon;
}

Image compose_solved_screen(const Image& atlas, bool with_map, bool with_mascots, bool with_buttons) {
    Image screen(1024, 768);
    const int bw = kBackground.right - kBackground.left, bh = kBackground.bottom - kBackground.top;
    const int tw = kBackgroundTile.right - kBackgroundTile.left, th = kBackgroundTile.bottom - kBackgroundTile.top;
    screen.draw(atlas, 0, 0, bw, bh, 0, 0);
    for (int i = 0; i < 4; ++i) {
        screen.draw(atlas, 0, 0, tw, th, tw * i, 568);
        screen.draw(atlas, 0, 0, tw, th, tw * i, 684);
    }
    if (with_buttons) {
        screen.draw(atlas, kButton.left, kButton.top, 128, 64, 320, 600);
        screen.draw(atlas, kButton.left, kButton.top, 128, 64, 576, 600, 180.0f / 255.0f);
        screen.draw(atlas, kButtonPressed.left, kButtonPressed.top, 128, 64, 448, 680);
        screen.draw(atlas, kHintButton.left, kHintButton.top, 32, 32, 976, 16);
        screen.draw(atlas, kHintButtonPressed.left, kHintButtonPressed.top, 32, 32, 940, 16);
    }
    for (int i = kMunicipalityCount - 1; i >= 0 && with_map; --i) {
        const auto& g = kMunicipalities[i];
        screen.draw(atlas, g.atlas_x + kMarginPixels, g.atlas_y + kMarginPixels, g.width - 2 * kMarginPixels,
                    g.height - 2 * kMarginPixels, g.home_x + kMarginPixels, g.home_y + kMarginPixels);
    }
    if (with_mascots)
        for (int i = kMascotCount - 1; i >= 0; --i)
            screen.draw(atlas, mascot_atlas_x(i), mascot_atlas_y(i), kMascotSize, kMascotSize,
                        kMascotHomes[i].home_x, kMascotHomes[i].home_y);
    if (with_buttons)
        screen.draw(atlas, kSlotMarker.left, kSlotMarker.top, 32, 32, 900, 16, 0.5f);
    return screen;
}

}  // namespace atlas
