#include "portrait.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace portraits {

namespace {

// ---- Shapes: signed distances in cell pixels (negative inside) -------------

using Sdf = std::function<float(float, float)>;
constexpr float kPi = 3.14159265f;

Sdf circle(float cx, float cy, float r) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}
Sdf ellipse(float cx, float cy, float rx, float ry, float turn = 0) {
    const float c = std::cos(turn), s = std::sin(turn);
    return [=](float x, float y) {
        float u = (x - cx) * c + (y - cy) * s, v = -(x - cx) * s + (y - cy) * c;
        return (std::hypot(u / rx, v / ry) - 1) * std::min(rx, ry);
    };
}
Sdf box(float l, float t, float r, float b, float radius) {
    return [=](float x, float y) {
        float hx = (r - l) / 2 - radius, hy = (b - t) / 2 - radius;
        float qx = std::fabs(x - (l + r) / 2) - hx, qy = std::fabs(y - (t + b) / 2) - hy;
        return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}
float segment_distance(float x, float y, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy + 1e-9f), 0.0f, 1.0f);
    return std::hypot(x - ax - t * dx, y - ay - t * dy);
}
Sdf capsule(float ax, float ay, float bx, float by, float r) {
    return [=](float x, float y) { return segment_distance(x, y, ax, ay, bx, by) - r; };
}
struct V { float x, y; };
// A polygon, its corners rounded by `round`.
Sdf poly(std::vector<V> p, float round = 0) {
    return [p = std::move(p), round](float x, float y) {
        float d = 1e9f;
        bool inside = false;
        for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            d = std::min(d, segment_distance(x, y, p[j].x, p[j].y, p[i].x, p[i].y));
            if ((p[i].y > y) != (p[j].y > y) &&
                x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
                inside = !inside;
        }
        return (inside ? -d : d) - round;
    };
}
Sdf star(float cx, float cy, float outer, float inner, int points, float round = 0.4f, float turn = 0) {
    std::vector<V> p;
    for (int k = 0; k < points * 2; ++k) {
        float a = turn - kPi / 2 + kPi * float(k) / float(points);
        float r = (k % 2 ? inner : outer) - round;
        p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return poly(p, round);
}
Sdf heart(float cx, float cy, float s) {
    Sdf l = circle(cx - 0.5f * s, cy - 0.25f * s, 0.56f * s), r = circle(cx + 0.5f * s, cy - 0.25f * s, 0.56f * s);
    Sdf tip = poly({{cx - 1.0f * s, cy + 0.0f}, {cx + 1.0f * s, cy + 0.0f}, {cx, cy + 1.1f * s}}, 0.1f * s);
    return [=](float x, float y) { return std::min({l(x, y), r(x, y), tip(x, y)}); };
}
Sdf unite(Sdf a, Sdf b) { return [=](float x, float y) { return std::min(a(x, y), b(x, y)); }; }
Sdf blend(Sdf a, Sdf b, float k) {
    return [=](float x, float y) {
        float da = a(x, y), db = b(x, y);
        float h = std::clamp(0.5f + 0.5f * (db - da) / k, 0.0f, 1.0f);
        return db + (da - db) * h - k * h * (1 - h);
    };
}
Sdf inter(Sdf a, Sdf b) { return [=](float x, float y) { return std::max(a(x, y), b(x, y)); }; }
Sdf minus(Sdf a, Sdf b) { return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); }; }
Sdf outline_of(Sdf a, float w) { return [=](float x, float y) { return std::fabs(a(x, y)) - w; }; }
// The half-planes under and over a line across the cell (y grows downwards).
Sdf lower(float y0) { return [=](float, float y) { return y0 - y; }; }
Sdf upper(float y0) { return [=](float, float y) { return y - y0; }; }
Sdf grow(Sdf a, float by) { return [=](float x, float y) { return a(x, y) - by; }; }

// ---- Colours and the drawing ----------------------------------------------

struct Col { float r, g, b; };
Col hex(unsigned v) { return {float((v >> 16) & 255), float((v >> 8) & 255), float(v & 255)}; }
Col mixc(Col a, Col b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
const Col kOutline{46, 34, 50};
const Col kInk{38, 28, 42};
const Col kShine{250, 250, 246};
const Col kCheek{242, 128, 146};
const Col kLeaf{84, 168, 70};
const Col kWood{176, 124, 70};
const Col kGold{232, 181, 58};
const Col kHair{74, 48, 40};
const Col kCream{246, 240, 226};
Col darker(Col c, float t = 0.22f) { return mixc(c, Col{40, 22, 60}, t); }
Col lighter(Col c, float t = 0.4f) { return mixc(c, Col{252, 250, 244}, t); }

constexpr float kOutlineWidth = 1.05f;

struct Part {
    Sdf sd;
    Col fill;
    bool outline;
    bool shade;
};

struct Drawing {
    std::vector<Part> back, body, front;
};

// Where a body puts its face and where its head wear sits.
struct Body {
    Sdf sd;
    float fx, fy;   // face centre
    float top;      // the body's top at the centre line
    float face = 1;  // face scale
};

// Every body of the looks table and its shape.
struct BodyShape {
    const char* name;
    Body (*make)();
};
const BodyShape kBodies[] = {
    {"round", []() -> Body { return {circle(16, 19.5f, 10.5f), 16, 19.5f, 9}; }},
    {"egg", []() -> Body { return {ellipse(16, 18.8f, 9, 11.6f), 16, 17.5f, 7.2f}; }},
    {"pear", []() -> Body { return {blend(circle(16, 23, 8.8f), circle(16, 13.8f, 7.2f), 3), 16, 14.5f, 6.6f, 0.9f}; }},
    {"bean", []() -> Body { return {ellipse(16, 21.5f, 13, 8.3f), 16, 20.5f, 13.2f}; }},
    {"triangle", []() -> Body { return {poly({{16, 5}, {3.5f, 29.5f}, {28.5f, 29.5f}}, 1.6f), 16, 21, 3.6f}; }},
    {"chestnut", []() -> Body { return {blend(circle(16, 21.5f, 9.6f), poly({{16, 6.5f}, {7.5f, 17}, {24.5f, 17}}, 1.2f), 2), 16, 21, 6}; }},
    {"strawberry", []() -> Body { return {blend(circle(16, 15, 10), poly({{6.5f, 17}, {25.5f, 17}, {16, 30}}, 1.5f), 2), 16, 15.5f, 5}; }},
    {"tall", []() -> Body { return {box(8.5f, 6.5f, 23.5f, 30.5f, 6.5f), 16, 14.5f, 6.5f, 0.9f}; }},
    {"fish", []() -> Body { return {blend(ellipse(13.5f, 19.5f, 10.5f, 8), poly({{21, 19.5f}, {30.5f, 12}, {30.5f, 27}}, 0.8f), 1.2f), 12.5f, 18.5f, 11.5f, 0.85f}; }},
    {"drop", []() -> Body { return {blend(circle(16, 21.5f, 9), poly({{16, 3.5f}, {8.5f, 16}, {23.5f, 16}}, 0.8f), 3), 16, 21, 4}; }},
    {"square", []() -> Body { return {box(5.5f, 9, 26.5f, 30.5f, 4.5f), 16, 18.5f, 9}; }},
    {"star", []() -> Body { return {star(16, 17.5f, 15, 7.6f, 5, 1.6f), 16, 18.5f, 3}; }},
    {"heart", []() -> Body { return {heart(16, 15.5f, 11.5f), 16, 16.5f, 8}; }},
    {"drum", []() -> Body { return {box(5.5f, 15, 26.5f, 30.5f, 3.5f), 16, 22.5f, 15}; }},
    {"leaf", []() -> Body {
         Sdf vesica = inter(circle(28, 17.5f, 17), circle(4, 17.5f, 17));
         return {blend(vesica, capsule(16, 29, 16, 31, 1), 1), 16, 18.5f, 4.5f, 0.9f};
     }},
    {"petal", []() -> Body { return {minus(ellipse(16, 18.5f, 10.5f, 11.8f), circle(16, 5.4f, 3.4f)), 16, 19, 8.5f}; }},
    {"dome", []() -> Body { return {inter(circle(16, 29, 13.5f), upper(30.5f)), 16, 23, 15.5f, 0.9f}; }},
    {"cupola", []() -> Body { return {unite(poly({{8.5f, 30.5f}, {23.5f, 30.5f}, {21.5f, 11}, {10.5f, 11}}, 1.5f), box(9.5f, 8, 22.5f, 13, 1.5f)), 16, 18, 8, 0.85f}; }},
    {"house", []() -> Body { return {poly({{5.5f, 30.5f}, {26.5f, 30.5f}, {26.5f, 15}, {16, 5}, {5.5f, 15}}, 1.2f), 16, 21.5f, 5}; }},
    {"ginkgo", []() -> Body {
         Sdf fan = inter(circle(16, 31, 23), poly({{16, 33}, {-1, 9}, {33, 9}}));
         return {minus(fan, poly({{16, 17}, {13.5f, 7}, {18.5f, 7}})), 16, 22, 10};
     }},
};

Body make_body(const std::string& name) {
    for (const BodyShape& b : kBodies)
        if (name == b.name) return b.make();
    throw std::runtime_error("unknown body \"" + name + "\"");
}

bool is_one_of(const std::string& s, std::initializer_list<const char*> list) {
    for (const char* w : list)
        if (s == w) return true;
    return false;
}

// ---- The painter ------------------------------------------------------------

class Painter {
public:
    // One word of the looks table's vocabulary and the drawing it stands for.
    struct Drawer {
        const char* name;
        void (Painter::*draw)(const std::string& word);
    };

    explicit Painter(const Look& look) : look_(look), body_(make_body(look.body)) {
        main_ = hex(look.main.rgb);
        a0_ = hex(look.accents[0].rgb);
        a1_ = look.accents.size() > 1 ? hex(look.accents[1].rgb) : a0_;
    }

    Drawing draw() {
        const std::string& k = look_.kind;
        body_part(body_.sd, main_);
        face(k);
        head(look_.head);
        item(look_.item);
        return std::move(d_);
    }

private:
    // An accent whose name holds a word, or a fallback.
    Col accent(const char* word, Col fallback) const {
        for (const auto& c : look_.accents)
            if (c.name.find(word) != std::string::npos) return hex(c.rgb);
        return fallback;
    }
    void back(Sdf s, Col c, bool shade = false) { d_.back.push_back({std::move(s), c, true, shade}); }
    void body_part(Sdf s, Col c) { d_.body.push_back({std::move(s), c, true, true}); }
    void front(Sdf s, Col c, bool shade = false) { d_.front.push_back({std::move(s), c, true, shade}); }
    void flat(Sdf s, Col c) { d_.front.push_back({std::move(s), c, false, false}); }
    // Paint clipped to the body, without outline (belly bands, coats).
    void on_body(Sdf s, Col c) { flat(inter(s, grow(body_.sd, -0.2f)), c); }

    void eyes(float spread, bool holes = false) {
        const float s = body_.face, fx = body_.fx, fy = body_.fy;
        for (float side : {-1.0f, 1.0f}) {
            float ex = fx + side * spread * s, ey = fy - 0.6f * s;
            if (holes) {
                flat(ellipse(ex, ey, 1.7f * s, 1.3f * s), kInk);
                continue;
            }
            flat(ellipse(ex, ey, 1.6f * s, 2.15f * s), kInk);
            flat(circle(ex - 0.5f * s, ey - 0.8f * s, 0.62f * s), kShine);
        }
    }
    void smile(float dy = 2.0f) {
        const float fx = body_.fx, fy = body_.fy + dy * body_.face;
        flat(inter(outline_of(circle(fx, fy - 1.3f, 1.9f), 0.45f), lower(fy - 0.9f)), kInk);
    }
    void cheeks() {
        const float s = body_.face;
        for (float side : {-1.0f, 1.0f}) flat(ellipse(body_.fx + side * 5.6f * s, body_.fy + 1.9f * s, 1.4f * s, 0.9f * s), kCheek);
    }

    void face(const std::string& k) {
        const float fx = body_.fx, fy = body_.fy, s = body_.face;
        if (is_one_of(k, {"duck", "grebe", "kingfisher", "stork", "skylark", "eagle", "egret", "dove", "pigeon",
                          "waterbird"})) {
            eyes(3.4f);
            Col beak = accent("beak", accent("bill", Col{240, 150, 40}));
            if (k == "duck")
                front(ellipse(fx, fy + 2.6f * s, 3.4f * s, 1.6f * s), beak);
            else if (k == "kingfisher" || k == "stork" || k == "egret")
                front(poly({{fx - 1.7f * s, fy + 1.1f * s}, {fx + 1.7f * s, fy + 1.1f * s}, {fx + 0.3f, fy + 6.2f * s}}, 0.3f), beak);
            else
                front(poly({{fx - 1.8f * s, fy + 1.2f * s}, {fx + 1.8f * s, fy + 1.2f * s}, {fx, fy + 4.2f * s}}, 0.4f), beak);
            return;
        }
        if (k == "kappa") {
            eyes(3.4f);
            front(ellipse(fx, fy + 2.7f * s, 3.6f * s, 1.7f * s), accent("beak", a0_));
            return;
        }
        if (k == "elephant") {
            eyes(3.6f);
            front(capsule(fx, fy + 1.0f, fx + 0.6f, fy + 7.5f * s, 1.5f * s), main_, true);
            cheeks();
            return;
        }
        if (is_one_of(k, {"dragon", "badger", "cat", "horse", "rhino", "sea mammal", "seal", "weasel", "squirrel",
                          "rabbit", "deer"})) {
            Col muzzle = k == "dragon" ? a0_ : lighter(main_, 0.5f);
            if (is_one_of(k, {"deer", "rabbit", "cat", "squirrel"})) muzzle = lighter(main_, 0.35f);
            front(ellipse(fx, fy + 3.6f * s, 3.5f * s, 2.1f * s), muzzle);
            flat(ellipse(fx, fy + 2.9f * s, 1.2f * s, 0.8f * s), kInk);
            eyes(3.6f);
            if (k == "cat")
                for (float side : {-1.0f, 1.0f}) {
                    flat(capsule(fx + side * 5.2f, fy + 2.2f, fx + side * 8.6f, fy + 1.4f, 0.28f), kInk);
                    flat(capsule(fx + side * 5.2f, fy + 3.4f, fx + side * 8.6f, fy + 3.9f, 0.28f), kInk);
                }
            return;
        }
        if (is_one_of(k, {"carp streamer", "catfish", "crucian carp", "bitterling", "stickleback"})) {
            eyes(3.0f);
            flat(ellipse(fx, fy + 3.0f * s, 1.3f, 0.9f), kInk);
            cheeks();
            if (k == "carp streamer")  // the streamer's scales
                for (int i = 0; i < 3; ++i)
                    flat(inter(outline_of(circle(18.5f + 3.2f * float(i), 21.5f, 2.2f), 0.35f), lower(21.5f)), darker(main_, 0.35f));
            return;
        }
        if (k == "clay figure") {
            eyes(3.4f, true);
            flat(ellipse(fx, fy + 4.0f * s, 1.8f, 1.1f), kInk);
            return;
        }
        if (k == "crayfish") {
            for (float side : {-1.0f, 1.0f}) {
                front(capsule(fx + side * 2.6f, fy - 2, fx + side * 3.6f, fy - 5.5f, 0.6f), main_);
                front(circle(fx + side * 3.6f, fy - 5.8f, 1.8f), kCream);
                flat(circle(fx + side * 3.6f, fy - 5.6f, 1.0f), kInk);
            }
            smile(1.2f);
            return;
        }
        // A dark costume shows the face in a window of skin.
        if (0.3f * main_.r + 0.59f * main_.g + 0.11f * main_.b < 100)
            front(ellipse(fx, fy + 0.9f * s, 6.6f * s, 5.2f * s), Col{250, 222, 196});
        eyes(3.4f);
        smile();
        cheeks();
    }

    // Head wear and whatever sits on the head.
    void head(const std::string& h);

    void head_horns(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f})
            back(poly({{cx + side * 3, t + 3}, {cx + side * 6.5f, t + 3.5f}, {cx + side * 6.2f, t - 4.5f}}, 0.6f), a1_);
    }

    void head_ogre_horn(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(poly({{cx - 2.6f, t + 2.5f}, {cx + 2.6f, t + 2.5f}, {cx, t - 5}}, 0.6f), Col{244, 206, 70});
    }

    void head_rhino_horn(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(poly({{cx - 3.5f, t + 3}, {cx + 3.5f, t + 3}, {cx + 1.5f, t - 6.5f}}, 0.7f), a0_);
    }

    void head_waterweed(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (int i = -2; i <= 2; ++i) {
            float a = -kPi / 2 + float(i) * 0.55f;
            back(capsule(cx, t + 2, cx + 7.5f * std::cos(a), t + 2 + 7.5f * std::sin(a), 1.1f), a0_);
        }
    }

    void head_red_rice(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Sdf cap = inter(grow(body_.sd, 0.3f), upper(t + 5.5f));
        front(cap, Col{244, 238, 224});
        for (V p : {V{-5, 4}, V{-1.5f, 3.2f}, V{2, 3.2f}, V{5.5f, 4}, V{0.2f, 1.6f}, V{-3.4f, 1.8f}, V{3.7f, 1.8f}})
            flat(circle(cx + p.x, t + p.y, 0.95f), a0_);
    }

    void head_tuft(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(poly({{cx - 4, t + 3}, {cx - 3, t - 4}, {cx, t + 1}, {cx + 2, t - 5}, {cx + 4, t + 3}}, 0.5f), darker(main_, 0.3f));
    }

    void head_headband(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col band = look_.accents.back().rgb == look_.accents.front().rgb ? a0_ : hex(look_.accents.back().rgb);
        on_body(inter(upper(t + 5.5f), lower(t + 2.6f)), band);
        front(circle(cx + 9.2f, t + 4.5f, 1.6f), band);
        front(capsule(cx + 10, t + 5, cx + 12.3f, t + 8.2f, 0.8f), band);
    }

    void head_calyx(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(star(cx, t + 0.8f, 5.2f, 2.1f, 5, 0.5f), green());
        front(capsule(cx, t, cx + 1.5f, t - 4, 0.8f), green());
    }

    void head_leaves(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float a : {-0.7f, 0.0f, 0.7f})
            back(ellipse(cx + 5 * std::sin(a), t - 2.5f * std::cos(a), 2.2f, 4.3f, a), darker(main_, 0.12f), true);
    }

    void head_bun(const std::string& h) {
        const float cx = body_.fx, t = body_.top;
        if (h == "bun") back(circle(cx, t - 1.8f, 3.4f), kHair);
        if (h == "pigtails") for (float side : {-1.0f, 1.0f}) back(circle(cx + side * 10.2f, t + 4, 3), kHair);
        on_body(upper(t + 3.6f), kHair);
        if (h == "topknot") front(capsule(cx - 1, t - 0.5f, cx + 3.5f, t - 2.5f, 1.2f), kHair);
        if (h == "hair-loops")
            for (float side : {-1.0f, 1.0f}) front(outline_of(ellipse(cx + side * 8.8f, body_.fy + 1, 1.6f, 2.6f), 0.8f), kHair);
        if (h == "bun" && look_.name.find("彩") != std::string::npos)  // the character tied in her hair
            flat(box(cx - 1, t - 3.6f, cx + 1, t, 0.3f), Col{214, 51, 58});
    }

    void head_halo(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(outline_of(ellipse(cx, t - 3, 6, 1.8f), 0.8f), a0_);
    }

    void head_spider_lily(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col red = a1_;
        for (int i = 0; i < 7; ++i) {
            float a = -kPi / 2 + (float(i) - 3) * 0.42f;
            back(capsule(cx, t + 2, cx + 6.8f * std::cos(a), t + 2 + 6.8f * std::sin(a), 0.5f), red);
        }
        front(circle(cx, t + 1.5f, 2), red);
    }

    void head_ribbon(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col c = accent("pink", a0_);
        float x = cx + 5.5f, y = t + 1.5f;
        front(poly({{x, y}, {x - 4.2f, y - 3}, {x - 4.2f, y + 3}}, 0.5f), c);
        front(poly({{x, y}, {x + 4.2f, y - 3}, {x + 4.2f, y + 3}}, 0.5f), c);
        front(circle(x, y, 1.4f), c);
    }

    void head_dish(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(star(cx, t + 1.5f, 7.6f, 5.6f, 9, 0.4f), darker(main_, 0.25f));
        front(ellipse(cx, t + 0.8f, 5, 2), Col{228, 238, 220});
    }

    void head_dots(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (V p : {V{-4.5f, 5.5f}, V{0, 4}, V{4.5f, 5.5f}, V{-2.2f, 7.5f}, V{2.2f, 7.5f}})
            flat(ellipse(cx + p.x, t + p.y - 1, 1.1f, 0.8f), Col{110, 30, 40});
    }

    void head_leaf(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(ellipse(cx + 2, t - 2, 3, 5.5f, 0.5f), darker(main_, 0.25f), true);
        flat(capsule(cx + 0.5f, t + 1, cx + 3.2f, t - 5.5f, 0.3f), darker(main_, 0.5f));
    }

    void head_star(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(star(cx, t - 1, 5, 2.3f, 5, 0.5f), accent("yellow", kGold));
    }

    void head_helmet(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f})
            back(poly({{cx + side * 3, t + 3}, {cx + side * 8, t + 4}, {cx + side * 7.5f, t - 3.5f}}, 0.6f), main_);
        front(inter(circle(cx, t + 6.5f, 9.3f), upper(t + 4.8f)), a0_, true);
        front(capsule(cx, t + 0.5f, cx - 4.5f, t - 5, 0.8f), kGold);
        front(capsule(cx, t + 0.5f, cx + 4.5f, t - 5, 0.8f), kGold);
    }

    void head_eggshell(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        std::vector<V> p{{cx - 9.4f, t + 7}};
        for (int i = 0; i <= 8; ++i) p.push_back({cx - 8.4f + 2.1f * float(i), t + (i % 2 ? 4.2f : 7.2f)});
        p.push_back({cx + 9.4f, t + 7});
        p.push_back({cx + 7, t - 1});
        p.push_back({cx, t - 3.2f});
        p.push_back({cx - 7, t - 1});
        front(poly(p, 0.3f), a0_);
    }

    void head_bell_tower(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col wood = a1_;
        front(box(cx - 2.8f, t - 4.5f, cx + 2.8f, t + 2.5f, 0.5f), wood);
        front(poly({{cx - 5, t - 3.5f}, {cx + 5, t - 3.5f}, {cx, t - 7.5f}}, 0.4f), kInk);
        flat(circle(cx, t - 2.2f, 1.5f), kGold);
    }

    void head_mountain(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(poly({{cx - 10, t + 2}, {cx + 10, t + 2}, {cx + 4, t - 6}, {cx, t - 9}, {cx - 4, t - 6.5f}}, 0.6f), a0_, true);
        flat(inter(poly({{cx - 4, t - 6.5f}, {cx, t - 9}, {cx + 4, t - 6}}, 0.6f), upper(t - 5.4f)), Col{236, 236, 228});
    }

    void head_crest(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(poly({{cx - 6, t + 3}, {cx - 1, t - 5.5f}, {cx + 0.5f, t + 1}, {cx + 4, t - 3.5f}, {cx + 5, t + 3}}, 0.6f), darker(main_, 0.15f));
    }

    void head_rose(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col c = darker(main_, 0.12f);
        back(ellipse(cx - 5, t + 1, 3, 1.6f, -0.5f), kLeaf);
        back(ellipse(cx + 5, t + 1, 3, 1.6f, 0.5f), kLeaf);
        front(circle(cx, t - 0.5f, 4.3f), c);
        flat(outline_of(circle(cx + 0.4f, t - 0.2f, 2.2f), 0.35f), darker(c, 0.45f));
        flat(inter(outline_of(circle(cx - 0.3f, t - 0.9f, 3.4f), 0.35f), upper(t - 0.4f)), darker(c, 0.45f));
    }

    void head_cap(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col c = a0_;
        front(inter(circle(cx, t + 6, 9), upper(t + 3.6f)), c, true);
        front(capsule(cx + 2, t + 3.6f, cx + 10, t + 3.6f, 1.0f), darker(c, 0.2f));
        if (look_.accents.size() > 1 && look_.kind == "boy") {
            flat(box(cx - 0.7f, t - 1.8f, cx + 0.7f, t + 2.6f, 0.2f), a1_);
            flat(box(cx - 2.2f, t - 0.3f, cx + 2.2f, t + 1.1f, 0.2f), a1_);
        }
    }

    void head_red_crown(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f})
            back(poly({{cx + side * 3.5f, t + 3}, {cx + side * 6.8f, t + 3.5f}, {cx + side * 7, t - 3.5f}}, 0.5f), Col{236, 222, 170});
        front(circle(cx, t + 1.8f, 3.3f), a0_);
    }

    void head_kasa(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col c = accent("straw", accent("gold", a0_));
        front(poly({{cx - 12.5f, t + 4}, {cx + 12.5f, t + 4}, {cx, t - 4.5f}}, 0.7f), c, true);
    }

    void head_potato_hat(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(ellipse(cx, t + 0.5f, 8.5f, 3.6f, -0.12f), a0_, true);
        front(capsule(cx + 7, t - 0.5f, cx + 10, t - 3, 0.7f), kLeaf);
    }

    void head_crown(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(poly({{cx - 5, t + 2.5f}, {cx + 5, t + 2.5f}, {cx + 5.5f, t - 3.5f}, {cx + 2.5f, t - 0.5f}, {cx, t - 4.5f},
                    {cx - 2.5f, t - 0.5f}, {cx - 5.5f, t - 3.5f}}, 0.4f), accent("gold", kGold));
    }

    void head_scroll(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col paper = lighter(main_, 0.3f);
        front(capsule(cx - 7, t, cx + 7, t, 2.8f), paper, true);
        front(circle(cx + 7, t, 2.8f), darker(paper, 0.1f));
        flat(circle(cx + 7, t, 1.0f), darker(paper, 0.4f));
    }

    void head_propeller(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(ellipse(cx - 4.5f, t - 2.5f, 4.5f, 1.3f), a0_);
        back(ellipse(cx + 4.5f, t - 2.5f, 4.5f, 1.3f), a0_);
        back(capsule(cx, t - 2.5f, cx, t + 2, 0.8f), kInk);
        front(circle(cx, t - 2.5f, 1.5f), a1_);
    }

    void head_elephant_ears(const std::string&) {
        const float cx = body_.fx;
        for (float side : {-1.0f, 1.0f}) back(ellipse(cx + side * 10.5f, body_.fy, 4.6f, 6.2f), darker(main_, 0.12f), true);
    }

    void head_plum_blossom(const std::string& h) {
        const float cx = body_.fx, t = body_.top;
        Col petal = h == "plum-blossom" ? Col{250, 206, 220} : h == "cherry-blossom" ? accent("cherry", a0_) : a0_;
        if (h == "peony") petal = a1_;
        float x = cx + (h == "peony" ? 0.0f : 5.0f), y = t + (h == "peony" ? -0.5f : 1.0f);
        float R = h == "peony" ? 5.0f : h == "azalea" ? 4.4f : 3.8f;
        if (h == "peony")
            for (float side : {-1.0f, 1.0f}) back(ellipse(cx + side * 7, t + 1, 4.5f, 1.9f, side * 0.35f), kLeaf, true);
        front(flower_sdf(x, y, R, 5), petal);
        flat(circle(x, y, R * 0.32f), h == "peony" ? darker(petal, 0.35f) : Col{246, 206, 60});
    }

    void head_safflower(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (int i = 0; i < 7; ++i) {
            float a = -kPi / 2 + (float(i) - 3) * 0.33f;
            back(capsule(cx, t + 1, cx + 6.5f * std::cos(a), t + 1 + 6.5f * std::sin(a), 0.8f), i % 2 ? a0_ : main_);
        }
        front(ellipse(cx, t + 2, 3.6f, 2.2f), kLeaf);
    }

    void head_mane(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        std::vector<V> p{{cx - 8, t + 4}};
        for (int i = 0; i < 5; ++i) {
            float a = -kPi * 0.85f + float(i) * 0.2f * kPi;
            p.push_back({cx + 8.5f * std::cos(a), t + 6 + 8.5f * std::sin(a)});
            p.push_back({cx + 10.8f * std::cos(a + 0.1f * kPi), t + 6 + 10.8f * std::sin(a + 0.1f * kPi)});
        }
        p.push_back({cx + 8, t + 4});
        back(poly(p, 0.5f), a0_);
        for (float side : {-1.0f, 1.0f})  // pointed ears in front of the mane
            back(poly({{cx + side * 3, t + 3}, {cx + side * 7.5f, t + 3.5f}, {cx + side * 6.8f, t - 6}}, 0.6f), main_);
    }

    void head_leek_horns(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f}) {
            back(capsule(cx + side * 3.5f, t + 2.5f, cx + side * 7.5f, t - 6, 1.5f), a0_);
            back(capsule(cx + side * 6.2f, t - 3, cx + side * 11, t - 4.5f, 1.1f), a0_);
            back(capsule(cx + side * 3.5f, t + 2.5f, cx + side * 5, t - 1.2f, 1.5f), Col{240, 240, 226});
        }
    }

    void head_cedar(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(poly({{cx - 5, t + 8}, {cx + 5, t + 8}, {cx, t - 1}}, 0.6f), darker(main_, 0.3f), true);
    }

    void head_beard(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(unite(ellipse(body_.fx, body_.fy + 5.2f, 5.6f, 4.2f), poly({{body_.fx - 3, body_.fy + 7}, {body_.fx + 3, body_.fy + 7}, {body_.fx, body_.fy + 11.5f}})),
              Col{240, 238, 228});
        flat(circle(body_.fx, body_.fy + 3.6f, 0.9f), kInk);
        if (look_.kind == "hermit") back(circle(cx, t - 1, 3.2f), Col{240, 238, 228});
        else front(capsule(cx, t + 0.5f, cx + 2, t - 3.5f, 0.9f), kWood);
    }

    void head_wisteria(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(ellipse(cx + 6, t, 3.5f, 1.6f, 0.3f), kLeaf);
        for (V p : {V{3, 1}, V{6, 1.5f}, V{9, 2}, V{4.5f, 3.5f}, V{7.5f, 4}, V{6, 6}})
            front(circle(cx + p.x, t + p.y, 1.45f), a0_);
    }

    void head_antennae(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f}) {
            back(capsule(cx + side * 2, t + 2, cx + side * 6, t - 6, 0.5f), kInk);
            back(circle(cx + side * 6, t - 6, 1.3f), a0_);
        }
    }

    void head_ears_round(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f}) {
            back(circle(cx + side * 6.5f, t + 1.5f, 3), main_);
            d_.back.push_back({circle(cx + side * 6.9f, t + 1.1f, 1.4f), a0_, false, false});
        }
    }

    void head_plume(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float a : {-0.5f, -0.2f, 0.1f}) back(capsule(cx - 1, t + 2, cx - 1 + 9 * std::sin(a) - 3, t - 7 * std::cos(a), 0.6f), main_);
    }

    void head_radish(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col white = a0_;
        for (float a : {-0.9f, -0.3f, 0.3f, 0.9f}) back(ellipse(cx + 3.5f * std::sin(a), t - 5.5f + 1.5f * std::fabs(a), 1.4f, 3.2f, a), kLeaf);
        front(capsule(cx - 3, t - 2, cx + 3, t + 5, 1.6f), white);
        front(capsule(cx + 3, t - 2, cx - 3, t + 5, 1.6f), white);
    }

    void head_fuji(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        front(poly({{cx - 8, t + 3}, {cx + 8, t + 3}, {cx + 2.5f, t - 5}, {cx - 2.5f, t - 5}}, 0.6f), a0_, true);
        flat(poly({{cx - 2.4f, t - 4.6f}, {cx + 2.4f, t - 4.6f}, {cx + 4, t - 2.4f}, {cx + 2, t - 3}, {cx, t - 1.8f}, {cx - 2, t - 3}, {cx - 4, t - 2.4f}}), Col{244, 246, 250});
    }

    void head_fuji_hood(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        // The hood is the body colour; the child's face shows through it.
        d_.front.insert(d_.front.begin(), {ellipse(body_.fx, body_.fy + 1.2f, 7.6f, 6.0f), Col{250, 222, 196}, true, false});
        front(poly({{cx - 5.5f, t + 2}, {cx + 5.5f, t + 2}, {cx + 2.5f, t - 3.5f}, {cx - 2.5f, t - 3.5f}}, 0.6f), main_);
        flat(poly({{cx - 2.4f, t - 3.2f}, {cx + 2.4f, t - 3.2f}, {cx + 3.6f, t - 1}, {cx + 1.5f, t - 1.7f}, {cx, t - 0.6f}, {cx - 1.5f, t - 1.7f}, {cx - 3.6f, t - 1}}), a0_);
    }

    void head_wheat_ear(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(capsule(cx, t + 2, cx, t - 9, 0.5f), darker(main_, 0.3f));
        for (int i = 0; i < 4; ++i)
            for (float side : {-1.0f, 1.0f})
                back(ellipse(cx + side * 1.5f, t - 1.5f - 2.2f * float(i), 1.3f, 2.0f, side * 0.5f), darker(main_, 0.08f));
    }

    void head_squirrel_ears(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f}) {
            back(poly({{cx + side * 2.5f, t + 3}, {cx + side * 7.5f, t + 3}, {cx + side * 6, t - 3.5f}}, 0.7f), main_);
            back(poly({{cx + side * 6, t - 2.8f}, {cx + side * 4.4f, t - 5.8f}, {cx + side * 7.4f, t - 5.2f}}, 0.3f), darker(main_, 0.35f));
        }
        if (look_.kind == "squirrel" && look_.item == "pompom") {
            float x = cx + 5, y = t + 1;
            front(poly({{x, y}, {x - 3.5f, y - 2.5f}, {x - 3.5f, y + 2.5f}}, 0.4f), a0_);
            front(poly({{x, y}, {x + 3.5f, y - 2.5f}, {x + 3.5f, y + 2.5f}}, 0.4f), a0_);
        }
    }

    void head_flame(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(blend(circle(cx, t + 0.5f, 3.8f), poly({{cx - 2, t - 2}, {cx + 2, t - 2}, {cx + 1, t - 9}}), 1.5f), a0_);
        flat(blend(circle(cx, t + 1, 2), poly({{cx - 1, t}, {cx + 1, t}, {cx + 0.5f, t - 4.5f}}), 1), a1_);
    }

    void head_roof(const std::string&) {
        front(poly({{3.5f, 16.5f}, {28.5f, 16.5f}, {16, 4}}, 0.8f), a0_, true);
        front(box(20.5f, 5, 24, 11.5f, 0.4f), darker(a0_, 0.35f));
    }

    void head_spire(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        back(capsule(cx, t + 1, cx, t - 6, 0.6f), kInk);
        front(circle(cx, t - 6.5f, 1.6f), kGold);
    }

    void head_pine(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col g = a0_;
        front(capsule(cx, t + 2, cx, t - 1, 0.9f), kWood);
        front(poly({{cx - 6, t}, {cx + 6, t}, {cx, t - 4.5f}}, 0.5f), g);
        front(poly({{cx - 4.5f, t - 3}, {cx + 4.5f, t - 3}, {cx, t - 8}}, 0.5f), g);
    }

    void head_castle_roof(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col roof = a0_;
        front(poly({{cx - 9.8f, t + 4}, {cx + 9.8f, t + 4}, {cx + 6.5f, t + 0.5f}, {cx - 6.5f, t + 0.5f}}, 0.4f), roof, true);
        front(poly({{cx - 7.5f, t - 1}, {cx + 7.5f, t - 1}, {cx + 4, t - 5}, {cx - 4, t - 5}}, 0.4f), roof, true);
    }

    void head_lotus(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        Col c = darker(main_, 0.15f);
        for (float a : {-0.9f, 0.9f, -0.45f, 0.45f, 0.0f}) front(ellipse(cx + 3.5f * std::sin(a), t - 2 - 1.2f * std::cos(a), 1.7f, 3.8f, a), a == 0.0f ? lighter(c, 0.15f) : c);
    }

    void head_long_ears(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (float side : {-1.0f, 1.0f}) {
            back(ellipse(cx + side * 3.8f, t - 1.6f, 2.4f, 4.8f, side * 0.18f), main_, true);
            d_.back.push_back({ellipse(cx + side * 3.8f, t - 2, 1.0f, 3.2f, side * 0.18f), kCheek, false, false});
        }
    }

    void head_spines(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        for (int i = 0; i < 3; ++i) {
            float x = cx - 2 + 4.2f * float(i);
            back(poly({{x - 1.5f, t + 3}, {x + 1.5f, t + 3}, {x - 0.5f, t - 3.5f}}, 0.3f), a0_);
        }
    }

    void head_sprout(const std::string&) {
        const float cx = body_.fx, t = body_.top;
        sprout(cx, t + 1.5f);
    }

    Col green() const { return accent("green", kLeaf); }
    void sprout(float x, float y) {
        back(capsule(x, y, x, y - 4.5f, 0.6f), green());
        back(ellipse(x - 2.8f, y - 5, 2.8f, 1.5f, 0.4f), green());
        back(ellipse(x + 2.8f, y - 5.5f, 2.8f, 1.5f, -0.4f), green());
    }
    static Sdf flower_sdf(float x, float y, float R, int n) {
        Sdf f = circle(x, y, R * 0.45f);
        for (int i = 0; i < n; ++i) {
            float a = -kPi / 2 + 2 * kPi * float(i) / float(n);
            f = unite(f, circle(x + R * 0.55f * std::cos(a), y + R * 0.55f * std::sin(a), R * 0.45f));
        }
        return f;
    }

    // The signature item, mostly held at the right hand (about 25, 23).
    void item(const std::string& it);

    void item_pearl(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(circle(hx + 0.5f, hy + 1, 3.6f), Col{236, 232, 250}, true); flat(circle(hx - 0.6f, hy - 0.2f, 1), kShine);
    }

    void item_leaf(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(ellipse(hx + 1, hy - 2, 2.8f, 5.8f, 0.45f), green(), true);
        flat(capsule(hx - 1.6f, hy + 3.2f, hx + 3.2f, hy - 6.5f, 0.3f), darker(green(), 0.45f));
    }

    void item_wings(const std::string&) {
        Col w = accent("brown", Col{232, 240, 252});
        for (float side : {-1.0f, 1.0f}) back(ellipse(16 + side * 11.5f, 17, 3.8f, 6.2f, side * -0.6f), w, true);
    }

    void item_letter_a(const std::string&) {
        const float fy = body_.fy;
        Col c = a0_;
        float y = fy + 3;
        flat(capsule(16, y, 13, y + 6, 0.9f), c);
        flat(capsule(16, y, 19, y + 6, 0.9f), c);
        flat(capsule(14.4f, y + 3.6f, 17.6f, y + 3.6f, 0.8f), c);
    }

    void item_cracker(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(circle(hx - 2, hy + 2, 6), a0_, true);
        flat(outline_of(circle(hx - 2, hy + 2, 4.3f), 0.35f), darker(a0_, 0.3f));
        for (V p : {V{-1.5f, -1.5f}, V{1.5f, 0}, V{-0.5f, 2}}) flat(circle(hx - 2 + p.x, hy + 2 + p.y, 0.55f), darker(a0_, 0.45f));
    }

    void item_leek(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 3.5f, hy + 6, hx + 1, hy - 4, 1.7f), Col{240, 240, 226});
        front(capsule(hx + 1, hy - 4, hx + 4, hy - 13, 1.7f), a0_);
        front(capsule(hx + 1.5f, hy - 6, hx - 1, hy - 14, 1.1f), a0_);
    }

    void item_watering_can(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c{120, 170, 220};
        front(capsule(hx + 1, hy - 1, hx + 6, hy - 5, 0.9f), c);
        front(box(hx - 3, hy - 2, hx + 3, hy + 5, 1.2f), c, true);
    }

    void item_happi(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        on_body(lower(fy + 4.2f), a0_);
        flat(inter(capsule(fx - 3, fy + 4.2f, fx, fy + 10, 0.9f), grow(body_.sd, -0.2f)), kCream);
        flat(inter(capsule(fx + 3, fy + 4.2f, fx, fy + 10, 0.9f), grow(body_.sd, -0.2f)), kCream);
    }

    void item_clapper(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col wood{236, 190, 100};
        front(capsule(hx, hy + 3, hx + 1.5f, hy - 1, 0.9f), kWood);
        front(box(hx - 2, hy - 9, hx + 5, hy - 1, 1), wood, true);
        flat(box(hx - 1, hy - 7.5f, hx + 4, hy - 6.2f, 0.3f), Col{214, 51, 58});
        flat(box(hx - 1, hy - 4.5f, hx + 4, hy - 3.2f, 0.3f), kInk);
    }

    void item_rice(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 2, hy + 5, hx + 1, hy - 8, 0.5f), Col{150, 160, 70});
        for (int i = 0; i < 4; ++i) front(ellipse(hx + 1.2f + 0.8f * float(i), hy - 6 + 2.4f * float(i), 1.2f, 1.7f, 0.6f), Col{236, 196, 70});
    }

    void item_greens(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        for (float a : {-0.5f, 0.0f, 0.5f}) front(ellipse(hx + 1 + 4 * std::sin(a), hy - 5 - 1 * std::cos(a), 2, 4, a), a1_);
        front(capsule(hx - 1, hy + 3, hx + 1, hy - 2, 1), Col{228, 240, 210});
    }

    void item_star_wand(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 1, hy + 4, hx + 2, hy - 5, 0.7f), kWood);
        front(star(hx + 2.5f, hy - 7, 4.8f, 2.2f, 5, 0.4f), a0_);
    }

    void item_burr(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(star(hx + 1, hy + 1, 5.4f, 3.4f, 12, 0.2f), Col{128, 162, 62}); flat(circle(hx + 1, hy + 1, 2.2f), Col{120, 70, 36});
    }

    void item_flower(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c = accent("pink", hex(look_.accents.back().rgb));
        front(capsule(hx, hy + 4, hx + 1, hy - 3, 0.5f), kLeaf);
        front(flower_sdf(hx + 1, hy - 4, 4, 5), c);
        flat(circle(hx + 1, hy - 4, 1.2f), Col{246, 206, 60});
    }

    void item_cucumber(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 2, hy + 5, hx + 4, hy - 6, 1.9f), Col{70, 140, 60});
        for (V p : {V{0, 0}, V{1.5f, -3}, V{-1, 3}}) flat(circle(hx + 1 + p.x, hy + p.y - 0.5f, 0.4f), Col{170, 210, 120});
    }

    void item_sash(const std::string&) {
        const float fy = body_.fy;
        Col c = hex(look_.accents.back().rgb);
        on_body([=](float x, float y) { return std::fabs((x - 16) * 0.6f + (y - (fy + 6.5f)) * 0.8f) - 1.7f; }, c);
    }

    void item_jewel(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(blend(circle(hx + 1, hy - 1, 2.6f), capsule(hx + 1, hy, hx - 1.5f, hy + 4, 0.9f), 1), hex(look_.accents.back().rgb));
        flat(circle(hx + 1.5f, hy - 1.6f, 0.7f), kInk);
    }

    void item_strip(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(poly({{hx - 1.5f, hy - 7}, {hx + 2.5f, hy - 7.5f}, {hx + 3.5f, hy + 3}, {hx - 0.5f, hy + 3.5f}}, 0.3f), a0_);
        flat(capsule(hx + 0.5f, hy - 9.5f, hx + 0.5f, hy - 7.2f, 0.3f), kInk);
    }

    void item_shaved_ice(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(blend(circle(hx + 1, hy - 3.5f, 4), poly({{hx - 3, hy - 3}, {hx + 5, hy - 3}, {hx + 1, hy - 9}}), 1), Col{244, 244, 252});
        flat(circle(hx + 1, hy - 5.5f, 2), Col{226, 60, 70});
        front(poly({{hx - 3.5f, hy - 2.5f}, {hx + 5.5f, hy - 2.5f}, {hx + 3, hy + 5}, {hx - 1, hy + 5}}, 0.4f), Col{150, 200, 230});
    }

    void item_tv(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(box(hx - 4, hy - 3, hx + 5, hy + 4.5f, 1), Col{70, 80, 100}, true);
        flat(box(hx - 2.6f, hy - 1.6f, hx + 3.6f, hy + 3.1f, 0.6f), Col{110, 200, 240});
        front(capsule(hx, hy - 3, hx - 2, hy - 7, 0.45f), kInk);
        front(capsule(hx + 1, hy - 3, hx + 3.5f, hy - 7, 0.45f), kInk);
    }

    void item_coin(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(ellipse(hx + 0.5f, hy, 3.8f, 5.6f), a0_, true);
        for (float dy : {-2.0f, 0.0f, 2.0f}) flat(capsule(hx - 1.2f, hy + dy, hx + 2.2f, hy + dy, 0.3f), darker(a0_, 0.4f));
    }

    void item_spatula(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 2, hy + 6, hx + 1, hy - 1, 0.9f), kWood);
        front(poly({{hx - 1, hy - 1}, {hx + 3.5f, hy}, {hx + 5.5f, hy - 8}, {hx + 0.5f, hy - 9}}, 0.6f), a1_, true);
    }

    void item_clock(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(circle(hx + 0.5f, hy + 0.5f, 4.6f), Col{250, 244, 222}, true);
        flat(capsule(hx + 0.5f, hy + 0.5f, hx + 0.5f, hy - 2.6f, 0.45f), kInk);
        flat(capsule(hx + 0.5f, hy + 0.5f, hx + 2.6f, hy + 1.2f, 0.45f), kInk);
    }

    void item_drumsticks(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 9, hy + 6, hx + 3, hy - 6, 0.9f), kWood);
        front(capsule(hx - 4, hy + 7, hx + 5, hy - 4, 0.9f), kWood);
        front(circle(hx + 3, hy - 6, 1.5f), kCream);
        front(circle(hx + 5, hy - 4, 1.5f), kCream);
    }

    void item_sparkle(const std::string&) {
        front(star(27, 6, 4, 1.2f, 4, 0.3f), a0_);
        front(star(4.5f, 27, 3.2f, 1.0f, 4, 0.3f), a0_);
    }

    void item_fish(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(blend(ellipse(hx, hy + 1, 4, 2.2f), poly({{hx + 3, hy + 1}, {hx + 6.5f, hy - 1.5f}, {hx + 6.5f, hy + 3.5f}}), 0.5f), Col{180, 196, 212});
        flat(circle(hx - 2, hy + 0.5f, 0.6f), kInk);
    }

    void item_pants(const std::string&) {
        const float fy = body_.fy;
        on_body(lower(fy + 6.5f), a0_);
    }

    void item_iris(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx, hy + 5, hx + 1, hy - 3, 0.5f), kLeaf);
        front(ellipse(hx - 1.2f, hy - 4, 1.6f, 3.4f, -0.5f), a0_);
        front(ellipse(hx + 3.2f, hy - 4, 1.6f, 3.4f, 0.5f), a0_);
        front(ellipse(hx + 1, hy - 6, 1.6f, 3.4f), a0_);
        flat(ellipse(hx + 1, hy - 3.6f, 0.7f, 1.4f), Col{246, 206, 60});
    }

    void item_shield(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        const Col c = a0_;
        front(poly({{hx - 4, hy - 6}, {hx + 5, hy - 6}, {hx + 5, hy + 1}, {hx + 0.5f, hy + 6.5f}, {hx - 4, hy + 1}}, 0.8f), c, true);
        if (look_.accents.size() > 1) {
            flat(box(hx - 0.4f, hy - 4.5f, hx + 1.4f, hy + 3, 0.2f), a1_);
            flat(box(hx - 2.6f, hy - 2.2f, hx + 3.6f, hy - 0.4f, 0.2f), a1_);
        } else {
            for (float dy : {-3.0f, 0.0f}) flat(capsule(hx - 2, hy + dy, hx + 3, hy + dy, 0.35f), darker(c, 0.4f));
        }
    }

    void item_raindrop(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c = hex(look_.accents.back().rgb);
        front(blend(circle(hx + 1, hy, 3.2f), poly({{hx - 1.2f, hy - 1}, {hx + 3.2f, hy - 1}, {hx + 1, hy - 7}}), 1), c);
    }

    void item_bow(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Sdf right_of = [=](float x, float) { return hx + 0.5f - x; };
        front(capsule(hx + 1, hy - 11, hx + 1, hy + 7, 0.3f), kInk);
        front(inter(outline_of(circle(hx - 3, hy - 2, 9.5f), 0.9f), right_of), kWood);
    }

    void item_sprout(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        sprout(hx + 0.5f, hy + 2);
    }

    void item_pole(const std::string&) {
        back(capsule(3.5f, 3, 3.5f, 31, 1.1f), kWood);
        back(circle(3.5f, 3, 2), accent("gold", kGold));
    }

    void item_noodle(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(inter(circle(hx, hy - 1, 5.5f), lower(hy - 1)), Col{150, 80, 50}, true);
        flat(box(hx - 4, hy - 2.8f, hx + 4, hy - 1, 0.5f), Col{244, 240, 226});
    }

    void item_plane_wings(const std::string&) {
        back(box(0.8f, 19, 31.2f, 23.5f, 2), a0_, true);
        flat(box(0.8f, 19.5f, 3.5f, 23, 1), a1_);
        flat(box(28.5f, 19.5f, 31.2f, 23, 1), a1_);
    }

    void item_spots(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        for (V p : {V{-6, 3}, V{6.5f, 2}, V{-2.5f, 8}, V{3.5f, 7.5f}, V{-7.5f, -3}, V{7.5f, -4.5f}})
            on_body(ellipse(fx + p.x, fy + p.y, 1.8f, 1.4f, 0.4f), a0_);
    }

    void item_jar(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c = hex(look_.accents.back().rgb);
        front(blend(circle(hx + 0.5f, hy + 2, 4.4f), box(hx - 1.8f, hy - 4, hx + 2.8f, hy, 0.6f), 1), c, true);
    }

    void item_bundle(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c{80, 120, 190};
        front(capsule(hx - 9, hy - 4, hx + 2, hy - 1, 0.6f), kWood);
        front(circle(hx + 2.5f, hy - 1, 4), c, true);
        front(poly({{hx + 2.5f, hy - 4}, {hx + 0.5f, hy - 7}, {hx + 4.5f, hy - 7}}, 0.3f), c);
    }

    void item_rocker(const std::string&) {
        // The rocker runs under the body, its ends curling up at the sides.
        front(inter(outline_of(circle(16, -6, 35.5f), 1.2f), lower(24)), darker(main_, 0.35f));
    }

    void item_tulip(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        float x = fx, y = fy + 7.5f;
        flat(poly({{x - 2.2f, y - 2.2f}, {x - 1.1f, y - 0.8f}, {x, y - 2.4f}, {x + 1.1f, y - 0.8f}, {x + 2.2f, y - 2.2f}, {x + 2, y + 0.8f}, {x - 2, y + 0.8f}}, 0.3f), a1_);
    }

    void item_whiskers(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        for (float side : {-1.0f, 1.0f}) front(capsule(fx + side * 2.2f, fy + 3, fx + side * 8.5f, fy + 7.5f, 0.5f), kInk);
    }

    void item_pestle(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 2, hy + 5, hx + 3.5f, hy - 9, 1.2f), hex(look_.accents.back().rgb));
    }

    void item_star(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(star(hx + 1, hy - 1, 5, 2.2f, 5, 0.5f), Col{246, 206, 60});
    }

    void item_heart(const std::string&) {
        const float fx = body_.fx, fy = body_.fy, hx = 25.5f, hy = 23.5f;
        Col c = look_.body == "heart" ? a0_ : Col{232, 80, 120};
        if (look_.body == "heart") flat(heart(fx, fy + 7, 2.3f), Col{214, 51, 58});
        else front(heart(hx + 1, hy - 1, 3.6f), c);
    }

    void item_flag(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx, hy + 5, hx, hy - 10, 0.6f), kWood);
        front(poly({{hx, hy - 10}, {hx + 6.5f, hy - 7.5f}, {hx, hy - 5}}, 0.4f), a0_);
    }

    void item_claws(const std::string&) {
        for (float side : {-1.0f, 1.0f}) {
            float x = 16 + side * 11.5f, y = 14;
            front(minus(ellipse(x, y, 3.4f, 4.6f), poly({{x, y + 1}, {x - 1.2f, y - 6}, {x + 1.2f, y - 6}})), main_, true);
        }
    }

    void item_bowtie(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        float y = fy + 5.2f;
        front(poly({{fx, y}, {fx - 4, y - 2.2f}, {fx - 4, y + 2.2f}}, 0.4f), a0_);
        front(poly({{fx, y}, {fx + 4, y - 2.2f}, {fx + 4, y + 2.2f}}, 0.4f), a0_);
    }

    void item_tail(const std::string&) {
        back(ellipse(26, 17, 4, 8.5f, 0.45f), darker(main_, 0.1f), true);
        flat(ellipse(28.5f, 11, 1.8f, 2.6f, 0.45f), a0_);
    }

    void item_necklace(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        for (int i = 0; i < 7; ++i) {
            float a = 0.25f * kPi + float(i) * 0.083f * kPi;
            flat(circle(fx + 5.5f * std::cos(a), fy + 1 + 5 * std::sin(a), 0.9f), a1_);
        }
    }

    void item_fan(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 1, hy + 4, hx + 1, hy, 0.7f), kWood);
        front(circle(hx + 1.5f, hy - 3, 4.2f), a0_, true);
    }

    void item_scarf(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        Col c = hex(look_.accents.back().rgb);
        on_body(inter(upper(fy + 7.2f), lower(fy + 4.6f)), c);
        front(poly({{fx + 3, fy + 5.5f}, {fx + 6, fy + 5.5f}, {fx + 7.5f, fy + 11}, {fx + 4.5f, fy + 11}}, 0.3f), c);
        flat(box(fx + 4.7f, fy + 8, fx + 7, fy + 9, 0.2f), Col{246, 206, 60});
    }

    void item_staff(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx + 1, hy + 7, hx + 2, hy - 14, 0.9f), hex(look_.accents.back().rgb));
        front(circle(hx + 2, hy - 14.5f, 1.8f), hex(look_.accents.back().rgb));
    }

    void item_sandals(const std::string&) {
        Col c = accent("straw", accent("gold", a0_));
        front(ellipse(11.5f, 30.2f, 3.8f, 1.4f), c);
        front(ellipse(20.5f, 30.2f, 3.8f, 1.4f), c);
    }

    void item_pinecone(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(ellipse(hx + 1, hy, 3.2f, 4.5f), Col{150, 96, 52}, true);
        for (float dy : {-2.0f, 0.5f, 3.0f}) flat(capsule(hx - 1, hy + dy, hx + 3, hy + dy - 1, 0.3f), Col{96, 56, 30});
    }

    void item_bread(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(ellipse(hx + 0.5f, hy + 1, 5, 3.3f, -0.3f), Col{200, 130, 60}, true);
        for (float dx : {-2.0f, 0.5f, 3.0f}) flat(capsule(hx + dx - 0.5f, hy + 1.8f - dx * 0.3f, hx + dx + 0.8f, hy - 0.2f - dx * 0.3f, 0.3f), Col{246, 220, 160});
    }

    void item_sword(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx - 3, hy + 5, hx + 4, hy - 11, 0.9f), a0_);
        front(capsule(hx - 3.5f, hy + 1.5f, hx + 0.5f, hy + 3.2f, 0.8f), kGold);
        front(capsule(hx - 2, hy + 3.5f, hx - 3.5f, hy + 7, 0.9f), kInk);
    }

    void item_shell(const std::string&) {
        back(ellipse(26, 19, 4.5f, 7.5f), hex(look_.accents.back().rgb), true);
    }

    void item_waterweed(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        for (float dx : {-2.0f, 1.0f, 4.0f})
            front([=](float x, float y) {
                float cxw = hx + dx + 1.1f * std::sin((y - hy) * 0.9f);
                return std::max(std::fabs(x - cxw) - 0.8f, std::max(y - (hy + 5), (hy - 6 + std::fabs(dx)) - y));
            }, Col{70, 150, 80});
    }

    void item_door(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        front(inter(box(fx - 3, fy + 3, fx + 3, fy + 10, 3), upper(30.5f)), a0_);
        for (float side : {-1.0f, 1.0f}) flat(circle(fx + side * 7, fy + 4, 1.1f), Col{250, 240, 180});
    }

    void item_dewdrop(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(blend(circle(hx + 1, hy, 3), poly({{hx - 1, hy - 1}, {hx + 3, hy - 1}, {hx + 1, hy - 6.5f}}), 1), Col{160, 214, 246});
        flat(circle(hx, hy - 0.6f, 0.8f), kShine);
    }

    void item_ball(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(circle(hx + 0.5f, hy + 1.5f, 4.6f), Col{246, 246, 240}, true);
        flat(star(hx + 0.5f, hy + 1.5f, 1.8f, 1.4f, 5, 0.2f), kInk);
    }

    void item_pompom(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(star(hx + 1, hy, 5.3f, 3.5f, 10, 0.4f), a0_);
    }

    void item_flippers(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        for (float side : {-1.0f, 1.0f}) front(ellipse(16 + side * 10, 27, 4.2f, 2.2f, side * 0.5f), darker(main_, 0.2f));
        flat(ellipse(fx, fy + 6.3f, 4, 2), a0_);
    }

    void item_balloon(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx, hy + 2, hx + 2.5f, hy - 6, 0.3f), kInk);
        front(ellipse(hx + 3, hy - 10, 3.4f, 4), Col{226, 59, 59}, true);
    }

    void item_wave(const std::string&) {
        Col c = a0_;
        for (float x : {8.5f, 16.0f, 23.5f}) front(inter(outline_of(circle(x, 32, 4.6f), 1.4f), upper(30.5f)), c);
    }

    void item_letter_k(const std::string&) {
        const float fx = body_.fx, fy = body_.fy;
        Col c = a1_;
        float x = fx - 1.5f, y = fy + 4.5f;
        flat(capsule(x, y, x, y + 6, 0.9f), c);
        flat(capsule(x + 0.5f, y + 3.2f, x + 3.8f, y, 0.9f), c);
        flat(capsule(x + 0.8f, y + 2.8f, x + 3.8f, y + 6, 0.9f), c);
    }

    void item_basket(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c{200, 150, 80};
        front(inter(outline_of(circle(hx + 1, hy - 0.5f, 4), 0.7f), upper(hy)), darker(c, 0.2f));
        front(inter(circle(hx + 1, hy - 0.5f, 5), lower(hy - 0.5f)), c, true);
    }

    void item_umbrella(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(capsule(hx + 1, hy + 6, hx + 1, hy - 4, 0.6f), kInk);
        front(inter(circle(hx + 1, hy - 3.5f, 6.2f), upper(hy - 3.5f)), a0_, true);
        flat(inter(outline_of(circle(hx + 1, hy - 3.5f, 3.6f), 0.8f), upper(hy - 3.5f)), a1_);
    }

    void item_pin(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        Col c = hex(look_.accents.back().rgb);
        front(blend(circle(hx + 1, hy - 5, 3.3f), poly({{hx - 1.5f, hy - 4}, {hx + 3.5f, hy - 4}, {hx + 1, hy + 3}}), 1), c);
        flat(circle(hx + 1, hy - 5, 1.2f), kCream);
    }

    void item_note(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(ellipse(hx - 0.5f, hy + 2.5f, 2.4f, 1.8f, -0.4f), kInk);
        front(capsule(hx + 1.4f, hy + 2, hx + 1.4f, hy - 8, 0.7f), kInk);
        front(poly({{hx + 1.4f, hy - 8}, {hx + 5, hy - 5}, {hx + 4.5f, hy - 3.5f}, {hx + 1.8f, hy - 5.5f}}, 0.3f), kInk);
    }

    void item_swim_ring(const std::string&) {
        Sdf ring = outline_of(ellipse(16, 23.5f, 10, 3.2f), 1.6f);
        front(ring, a1_);
        for (float dx : {-6.5f, 0.0f, 6.5f}) flat(inter(box(16 + dx - 1.1f, 17, 16 + dx + 1.1f, 31, 0.2f), ring), kCream);
    }

    void item_carrot(const std::string&) {
        const float hx = 25.5f, hy = 23.5f;
        front(poly({{hx - 1, hy - 3}, {hx + 4, hy - 3}, {hx + 0.5f, hy + 7}}, 0.6f), a0_, true);
        front(ellipse(hx, hy - 5, 1, 2.4f, -0.4f), a1_);
        front(ellipse(hx + 2.8f, hy - 5, 1, 2.4f, 0.4f), a1_);
    }

    void item_bubbles(const std::string&) {
        for (V p : {V{27, 7}, V{29.5f, 12}, V{25, 3}})
            front(outline_of(circle(p.x, p.y, p.x > 28 ? 1.6f : 2.1f), 0.5f), Col{150, 210, 240});
    }

    static const Drawer kHeadWear[];
    static const Drawer kItems[];

    const Look& look_;
    Body body_;
    Col main_{}, a0_{}, a1_{};
    Drawing d_;
};

// Every head wear of the looks table and its drawing.
const Painter::Drawer Painter::kHeadWear[] = {
    {"horns", &Painter::head_horns},
    {"ogre-horn", &Painter::head_ogre_horn},
    {"rhino-horn", &Painter::head_rhino_horn},
    {"waterweed", &Painter::head_waterweed},
    {"red rice", &Painter::head_red_rice},
    {"tuft", &Painter::head_tuft},
    {"headband", &Painter::head_headband},
    {"calyx", &Painter::head_calyx},
    {"leaves", &Painter::head_leaves},
    {"bun", &Painter::head_bun},
    {"topknot", &Painter::head_bun},
    {"pigtails", &Painter::head_bun},
    {"hair-loops", &Painter::head_bun},
    {"halo", &Painter::head_halo},
    {"spider-lily", &Painter::head_spider_lily},
    {"ribbon", &Painter::head_ribbon},
    {"dish", &Painter::head_dish},
    {"dots", &Painter::head_dots},
    {"leaf", &Painter::head_leaf},
    {"star", &Painter::head_star},
    {"helmet", &Painter::head_helmet},
    {"eggshell", &Painter::head_eggshell},
    {"bell-tower", &Painter::head_bell_tower},
    {"mountain", &Painter::head_mountain},
    {"crest", &Painter::head_crest},
    {"rose", &Painter::head_rose},
    {"cap", &Painter::head_cap},
    {"red-crown", &Painter::head_red_crown},
    {"kasa", &Painter::head_kasa},
    {"potato-hat", &Painter::head_potato_hat},
    {"crown", &Painter::head_crown},
    {"scroll", &Painter::head_scroll},
    {"propeller", &Painter::head_propeller},
    {"elephant-ears", &Painter::head_elephant_ears},
    {"plum-blossom", &Painter::head_plum_blossom},
    {"cherry-blossom", &Painter::head_plum_blossom},
    {"azalea", &Painter::head_plum_blossom},
    {"flower", &Painter::head_plum_blossom},
    {"peony", &Painter::head_plum_blossom},
    {"safflower", &Painter::head_safflower},
    {"mane", &Painter::head_mane},
    {"leek-horns", &Painter::head_leek_horns},
    {"cedar", &Painter::head_cedar},
    {"beard", &Painter::head_beard},
    {"wisteria", &Painter::head_wisteria},
    {"antennae", &Painter::head_antennae},
    {"ears-round", &Painter::head_ears_round},
    {"plume", &Painter::head_plume},
    {"radish", &Painter::head_radish},
    {"fuji", &Painter::head_fuji},
    {"fuji-hood", &Painter::head_fuji_hood},
    {"wheat-ear", &Painter::head_wheat_ear},
    {"squirrel-ears", &Painter::head_squirrel_ears},
    {"flame", &Painter::head_flame},
    {"roof", &Painter::head_roof},
    {"spire", &Painter::head_spire},
    {"pine", &Painter::head_pine},
    {"castle-roof", &Painter::head_castle_roof},
    {"lotus", &Painter::head_lotus},
    {"long-ears", &Painter::head_long_ears},
    {"spines", &Painter::head_spines},
    {"sprout", &Painter::head_sprout},
};

// Every signature item of the looks table and its drawing.
const Painter::Drawer Painter::kItems[] = {
    {"pearl", &Painter::item_pearl},
    {"leaf", &Painter::item_leaf},
    {"wings", &Painter::item_wings},
    {"letter-a", &Painter::item_letter_a},
    {"cracker", &Painter::item_cracker},
    {"leek", &Painter::item_leek},
    {"watering-can", &Painter::item_watering_can},
    {"happi", &Painter::item_happi},
    {"clapper", &Painter::item_clapper},
    {"rice", &Painter::item_rice},
    {"greens", &Painter::item_greens},
    {"star-wand", &Painter::item_star_wand},
    {"burr", &Painter::item_burr},
    {"flower", &Painter::item_flower},
    {"cucumber", &Painter::item_cucumber},
    {"sash", &Painter::item_sash},
    {"jewel", &Painter::item_jewel},
    {"strip", &Painter::item_strip},
    {"shaved-ice", &Painter::item_shaved_ice},
    {"tv", &Painter::item_tv},
    {"coin", &Painter::item_coin},
    {"spatula", &Painter::item_spatula},
    {"clock", &Painter::item_clock},
    {"drumsticks", &Painter::item_drumsticks},
    {"sparkle", &Painter::item_sparkle},
    {"fish", &Painter::item_fish},
    {"pants", &Painter::item_pants},
    {"iris", &Painter::item_iris},
    {"shield", &Painter::item_shield},
    {"raindrop", &Painter::item_raindrop},
    {"bow", &Painter::item_bow},
    {"sprout", &Painter::item_sprout},
    {"pole", &Painter::item_pole},
    {"noodle", &Painter::item_noodle},
    {"plane-wings", &Painter::item_plane_wings},
    {"spots", &Painter::item_spots},
    {"jar", &Painter::item_jar},
    {"bundle", &Painter::item_bundle},
    {"rocker", &Painter::item_rocker},
    {"tulip", &Painter::item_tulip},
    {"whiskers", &Painter::item_whiskers},
    {"pestle", &Painter::item_pestle},
    {"star", &Painter::item_star},
    {"heart", &Painter::item_heart},
    {"flag", &Painter::item_flag},
    {"claws", &Painter::item_claws},
    {"bowtie", &Painter::item_bowtie},
    {"tail", &Painter::item_tail},
    {"necklace", &Painter::item_necklace},
    {"fan", &Painter::item_fan},
    {"scarf", &Painter::item_scarf},
    {"staff", &Painter::item_staff},
    {"sandals", &Painter::item_sandals},
    {"pinecone", &Painter::item_pinecone},
    {"bread", &Painter::item_bread},
    {"sword", &Painter::item_sword},
    {"shell", &Painter::item_shell},
    {"waterweed", &Painter::item_waterweed},
    {"door", &Painter::item_door},
    {"dewdrop", &Painter::item_dewdrop},
    {"ball", &Painter::item_ball},
    {"pompom", &Painter::item_pompom},
    {"flippers", &Painter::item_flippers},
    {"balloon", &Painter::item_balloon},
    {"wave", &Painter::item_wave},
    {"letter-k", &Painter::item_letter_k},
    {"basket", &Painter::item_basket},
    {"umbrella", &Painter::item_umbrella},
    {"pin", &Painter::item_pin},
    {"note", &Painter::item_note},
    {"swim-ring", &Painter::item_swim_ring},
    {"carrot", &Painter::item_carrot},
    {"bubbles", &Painter::item_bubbles},
};

void Painter::head(const std::string& h) {
    if (h == "none") return;
    for (const Drawer& d : kHeadWear)
        if (h == d.name) return (this->*d.draw)(h);
    throw std::runtime_error("unknown head wear \"" + h + "\"");
}

void Painter::item(const std::string& it) {
    for (const Drawer& d : kItems)
        if (it == d.name) return (this->*d.draw)(it);
    throw std::runtime_error("unknown item \"" + it + "\"");
}

struct Acc { float r = 0, g = 0, b = 0, a = 0; };  // premultiplied

void over(Acc& acc, Col c, float cover) {
    if (cover <= 0) return;
    acc.r = c.r * cover + acc.r * (1 - cover);
    acc.g = c.g * cover + acc.g * (1 - cover);
    acc.b = c.b * cover + acc.b * (1 - cover);
    acc.a = cover + acc.a * (1 - cover);
}

// The shade: the lower-right rim of a shape, away from the light at the top left.
constexpr float kShadeOffset = 2.0f;
constexpr int kSamples = 4;  // per pixel side
constexpr float kLayoutScale = 1.1f;

void paint_part(Acc& acc, const Part& p, float x, float y) {
    const float edge = float(kSamples);  // soft over a quarter pixel
    float d = p.sd(x, y);
    if (p.outline) over(acc, kOutline, std::clamp(0.5f - (d - kOutlineWidth) * edge, 0.0f, 1.0f));
    float cover = std::clamp(0.5f - d * edge, 0.0f, 1.0f);
    if (cover <= 0) return;
    Col c = p.fill;
    if (p.shade) {
        float ds = p.sd(x + kShadeOffset, y + kShadeOffset);
        c = mixc(c, darker(c, 0.26f), std::clamp(0.5f + ds * edge, 0.0f, 1.0f));
    }
    over(acc, c, cover);
}

}  // namespace

Picture paint_portrait(const Look& look) {
    Painter painter(look);
    Drawing d = painter.draw();
    Picture pic{};
    for (int py = 0; py < 32; ++py)
        for (int px = 0; px < 32; ++px) {
            Acc sum;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    // The parts are laid out on the whole cell; drawn a little
                    // smaller, outline and all stay clear of the cell's edge.
                    float x = 16 + (float(px) + (float(sx) + 0.5f) / kSamples - 16) * kLayoutScale;
                    float y = 16 + (float(py) + (float(sy) + 0.5f) / kSamples - 16) * kLayoutScale;
                    Acc acc;
                    for (const auto* layer : {&d.back, &d.body, &d.front})
                        for (const Part& p : *layer) paint_part(acc, p, x, y);
                    sum.r += acc.r; sum.g += acc.g; sum.b += acc.b; sum.a += acc.a;
                }
            const float n = kSamples * kSamples;
            Pixel& out = pic[size_t(py) * 32 + size_t(px)];
            out.a = sum.a / n;
            if (out.a > 0) {
                out.r = sum.r / sum.a;
                out.g = sum.g / sum.a;
                out.b = sum.b / sum.a;
            } else {
                out = {0, 0, 0, 0};
            }
        }
    return pic;
}

}  // namespace portraits
