// Our own failure box on SDL (message_box_sdl.h); failure_box_sdl.cpp
// shows it for the hosted layer.
//
// Implements: a window of our own with the caption, the text drawn on its
// CPU surface with the game's fonts (ＭＳ ゴシック, so the Japanese reads on
// any desktop) and one OK button, dismissed by a click on OK, Return,
// Escape or the close box.
//
// Not implemented: buttons other than OK; a box owned by the game window
// (it stands alone).
#include "platform/sdl/message_box_sdl.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_window.h"
#include "platform/sjis.h"
#include "platform/sprite/sprite_objects.h"

namespace {

// "ＭＳ ゴシック" in code page 932: the face a Windows box of the game's time
// drew with; the fonts map it to the installed Japanese gothic.
constexpr char kBoxFace[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr int kTextHeight = 16;  // cell height in pixels
constexpr int kMargin = 24;
constexpr int kMaxTextWidth = 480;
constexpr int kMinWidth = 240;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kButtonBelow = 14;  // from the button's bottom to the box's
constexpr int kTextToButton = 20;

constexpr std::uint32_t kBackground = 0xFFF0F0F0u;
constexpr std::uint32_t kTextColour = 0xFF000000u;
constexpr std::uint32_t kButtonFace = 0xFFE1E1E1u;
constexpr std::uint32_t kButtonBorder = 0xFF0078D7u;  // the default button's accent

// A render backend on plain memory, enough for the fonts: textures are
// arrays of texels, and each quad the sprite batch sends (two triangles,
// axis-aligned, as glyphs are) is copied texel by texel with its vertex
// colour, blended into the picture.
class CpuBackend final : public RenderBackend {
public:
    explicit CpuBackend(MessageBoxPicture& target) : target_(target) {}

    BackendTexture create_texture(int width, int height) override {
        if (width <= 0 || height <= 0 || width > max_texture_size() || height > max_texture_size()) return 0;
        textures_.push_back({width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)});
        return static_cast<BackendTexture>(textures_.size());
    }

    bool update_texture(BackendTexture texture, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        Texture* t = find(texture);
        if (!t || x < 0 || y < 0 || width < 0 || height < 0 || x + width > t->width || y + height > t->height)
            return false;
        for (int row = 0; row < height; ++row)
            std::copy_n(argb + static_cast<std::size_t>(row) * pitch, width,
                        t->texels.begin() + static_cast<std::ptrdiff_t>((y + row) * t->width + x));
        return true;
    }

    void destroy_texture(BackendTexture texture) override {
        if (Texture* t = find(texture)) *t = Texture{};
    }

    bool draw_triangles(BackendTexture texture, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        const Texture* t = find(texture);
        if (!t || t->width == 0) return false;
        for (int q = 0; q + 6 <= index_count; q += 6) {
            float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f, u0 = 0, v0 = 0, u1 = 0, v1 = 0;
            for (int k = 0; k < 6; ++k) {
                if (indices[q + k] >= vertex_count) return false;
                const SpriteVertex& v = vertices[indices[q + k]];
                if (v.x <= x0) x0 = v.x, u0 = v.u;
                if (v.y <= y0) y0 = v.y, v0 = v.v;
                if (v.x >= x1) x1 = v.x, u1 = v.u;
                if (v.y >= y1) y1 = v.y, v1 = v.v;
            }
            fill_quad(*t, x0, y0, x1, y1, u0, v0, u1, v1, vertices[indices[q]].colour, mode);
        }
        return true;
    }

    bool blending_available() const override { return true; }
    int max_texture_size() const override { return 2048; }

private:
    struct Texture {
        int width = 0, height = 0;
        std::vector<std::uint32_t> texels;
    };

    Texture* find(BackendTexture handle) {
        return handle >= 1 && handle <= textures_.size() ? &textures_[handle - 1] : nullptr;
    }

    // Pixel (x, y) takes the texel under its centre.
    void fill_quad(const Texture& t, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                   std::uint32_t colour, BlendMode mode) {
        if (x1 <= x0 || y1 <= y0) return;
        const int px0 = std::max(0, static_cast<int>(x0 + 0.5f)), px1 = std::min(target_.width, static_cast<int>(x1 + 0.5f));
        const int py0 = std::max(0, static_cast<int>(y0 + 0.5f)), py1 = std::min(target_.height, static_cast<int>(y1 + 0.5f));
        for (int py = py0; py < py1; ++py) {
            const float v = v0 + (py + 0.5f - y0) / (y1 - y0) * (v1 - v0);
            const int ty = std::clamp(static_cast<int>(v * t.height), 0, t.height - 1);
            for (int px = px0; px < px1; ++px) {
                const float u = u0 + (px + 0.5f - x0) / (x1 - x0) * (u1 - u0);
                const int tx = std::clamp(static_cast<int>(u * t.width), 0, t.width - 1);
                std::uint32_t& dst = target_.argb[static_cast<std::size_t>(py) * target_.width + px];
                dst = shade(t.texels[static_cast<std::size_t>(ty) * t.width + tx], colour, dst, mode);
            }
        }
    }

    static std::uint32_t shade(std::uint32_t texel, std::uint32_t colour, std::uint32_t dst, BlendMode mode) {
        auto channel = [](std::uint32_t v, int shift) { return static_cast<int>(v >> shift & 0xFF); };
        const int alpha = channel(texel, 24) * channel(colour, 24) / 255;
        std::uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const int src = channel(texel, shift) * channel(colour, shift) / 255;
            const int mixed = mode == BlendMode::Opaque ? src : (src * alpha + channel(dst, shift) * (255 - alpha)) / 255;
            out |= static_cast<std::uint32_t>(mixed) << shift;
        }
        return out;
    }

    MessageBoxPicture& target_;
    std::vector<Texture> textures_;
};

void fill(MessageBoxPicture& p, const RECT& r, std::uint32_t colour) {
    for (int y = std::max(0L, static_cast<long>(r.top)); y < std::min<long>(p.height, r.bottom); ++y)
        for (int x = std::max(0L, static_cast<long>(r.left)); x < std::min<long>(p.width, r.right); ++x)
            p.argb[static_cast<std::size_t>(y) * p.width + x] = colour;
}

bool inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

const char* video_driver() { return SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr; }

}  // namespace

bool draw_message_box(const char* text_sjis, MessageBoxPicture& out) {
    out = MessageBoxPicture{};
    CpuBackend backend(out);
    ID3DXFont* font = nullptr;
    if (FAILED(create_font(&backend, kTextHeight, FW_NORMAL, kBoxFace, &font)) || !font) return false;

    // Measure first: the box is as wide as the text needs, up to a limit
    // beyond which the text wraps.
    const char* text = text_sjis ? text_sjis : "";
    RECT measure{0, 0, kMaxTextWidth, 0};
    font->DrawTextA(nullptr, text, -1, &measure, DT_WORDBREAK | DT_CALCRECT, kTextColour);
    const int text_width = std::max<int>(1, measure.right - measure.left);
    const int text_height = std::max<int>(kTextHeight, measure.bottom - measure.top);
    out.width = std::max(kMinWidth, text_width + 2 * kMargin);
    out.height = kMargin + text_height + kTextToButton + kButtonHeight + kButtonBelow;
    out.argb.assign(static_cast<std::size_t>(out.width) * out.height, kBackground);
    out.text = RECT{kMargin, kMargin, kMargin + text_width, kMargin + text_height};
    const int button_left = (out.width - kButtonWidth) / 2;
    const int button_top = out.height - kButtonBelow - kButtonHeight;
    out.ok_button = RECT{button_left, button_top, button_left + kButtonWidth, button_top + kButtonHeight};

    fill(out, out.ok_button, kButtonBorder);
    fill(out, RECT{out.ok_button.left + 2, out.ok_button.top + 2, out.ok_button.right - 2, out.ok_button.bottom - 2},
         kButtonFace);

    ID3DXSprite* sprite = new SpriteBatch(&backend);
    bool drawn = SUCCEEDED(sprite->Begin(D3DXSPRITE_ALPHABLEND));
    if (drawn) {
        RECT text_rect = out.text;
        drawn = font->DrawTextA(sprite, text, -1, &text_rect, DT_WORDBREAK, kTextColour) > 0;
        RECT caption{0, 0, kMaxTextWidth, 0};
        font->DrawTextA(sprite, "OK", -1, &caption, DT_CALCRECT, kTextColour);
        const int w = caption.right - caption.left, h = caption.bottom - caption.top;
        RECT ok{out.ok_button.left + (kButtonWidth - w) / 2, out.ok_button.top + (kButtonHeight - h) / 2, 0, 0};
        ok.right = ok.left + w;
        ok.bottom = ok.top + h;
        font->DrawTextA(sprite, "OK", -1, &ok, 0, kTextColour);
        drawn = SUCCEEDED(sprite->End()) && drawn;
    }
    sprite->Release();
    font->Release();  // before the backend it made its glyph pages on
    return drawn;
}

OwnMessageBox::~OwnMessageBox() {
    if (window_) SDL_DestroyWindow(window_);
}

bool OwnMessageBox::open(const char* caption_sjis, const char* text_sjis) {
    if (window_ || !draw_message_box(text_sjis, picture_)) return false;
    const std::string caption = cp932_to_utf8(caption_sjis ? caption_sjis : "");
    // A plain CPU surface: by default SDL backs a window surface with an
    // accelerated renderer where it can, which recreates the window and may
    // be the very thing that failed.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, picture_.width,
                               picture_.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP);
    if (!window_) return false;
    present();
    set_window_title_utf8(window_, caption.c_str());
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    return true;
}

void OwnMessageBox::present() {
    if (!window_) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(picture_.argb.data(), picture_.width, picture_.height,
                                                              32, picture_.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface && picture) {
        SDL_BlitSurface(picture, nullptr, surface, nullptr);
        SDL_UpdateWindowSurface(window_);
    }
    if (picture) SDL_FreeSurface(picture);
}

bool OwnMessageBox::handle(const SDL_Event& e) {
    if (!window_) return true;
    const Uint32 id = SDL_GetWindowID(window_);
    switch (e.type) {
        case SDL_KEYDOWN:
            if (e.key.windowID != id) return false;
            return e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER ||
                   e.key.keysym.sym == SDLK_ESCAPE || e.key.keysym.sym == SDLK_SPACE;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT)
                pressed_on_ok_ = inside(picture_.ok_button, e.button.x, e.button.y);
            return false;
        case SDL_MOUSEBUTTONUP:
            // A click is a press and a release on the button, as on any push
            // button: letting go elsewhere takes the press back.
            if (e.button.windowID != id || e.button.button != SDL_BUTTON_LEFT) return false;
            if (pressed_on_ok_ && inside(picture_.ok_button, e.button.x, e.button.y)) return true;
            pressed_on_ok_ = false;
            return false;
        case SDL_WINDOWEVENT:
            if (e.window.windowID != id) return false;
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) return true;
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                present();
            return false;
        case SDL_QUIT:
            return true;
        default:
            return false;
    }
}

bool show_own_message_box(const char* caption_sjis, const char* text_sjis) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    const char* driver = video_driver();
    if (!driver) return false;
    OwnMessageBox box;
    if (!box.open(caption_sjis, text_sjis)) return false;
    SDL_Event e;
    for (;;) {
        if (!SDL_WaitEventTimeout(&e, 250)) continue;
        if (box.handle(e)) break;
    }
    return true;
}
