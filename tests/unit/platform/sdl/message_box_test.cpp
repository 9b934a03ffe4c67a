// The start-up failure box the game draws itself: its text is the Japanese
// text as the game's fonts draw it on the graphics device (not the JIS
// codes that a window system without Japanese glyphs shows), its layout
// holds the text and the OK button, its window carries the caption, and it
// goes away by the OK button, Return, Escape or the close box, and by
// nothing else.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iconv.h>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/sdl/message_box_sdl.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sprite/d3dx.h"
#include "platform/sprite/render_device.h"

namespace {

std::string sjis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    char* o = out.data();
    size_t out_left = out.size();
    iconv(cd, &in, &in_left, &o, &out_left);
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}

const std::string kGraphicsText = sjis("DirectX Graphicsの初期化を失敗しました");
const std::string kCaption = sjis("初期化失敗");
// What a window system whose fonts lack Japanese made of the same text: the
// JIS codes of the characters, shown as ASCII.
const std::string kJisMojibake = "DirectX Graphics$N=i4|2=$r<:GT$7$^$7$?";

constexpr std::uint32_t kBoxBackground = 0xFFF0F0F0u;

bool dark(std::uint32_t argb) {
    return (argb >> 16 & 0xFF) < 128 && (argb >> 8 & 0xFF) < 128 && (argb & 0xFF) < 128;
}

// The text drawn by the game's fonts on the game's graphics device, into a
// back buffer of the box's background colour, read back.
class DeviceText : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        host_.sdl = SDL_CreateWindow("reference", 0, 0, 640, 200, SDL_WINDOW_HIDDEN);
        ASSERT_NE(host_.sdl, nullptr) << SDL_GetError();
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferFormat = D3DFMT_UNKNOWN;
        params.BackBufferCount = 1;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = &window_;
        params.Windowed = 1;
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, &window_,
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_),
                  S_OK);
        ASSERT_EQ(D3DXCreateSprite(device_, &sprite_), S_OK);
        const std::string face = sjis("ＭＳ ゴシック");
        ASSERT_EQ(D3DXCreateFontA(device_, 16, 0, FW_NORMAL, 1, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str(), &font_),
                  S_OK);
    }
    void TearDown() override {
        if (font_) font_->Release();
        if (sprite_) sprite_->Release();
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
        if (host_.sdl) SDL_DestroyWindow(host_.sdl);
    }

    // Pixels of `rect` after drawing `text` there in black.
    std::vector<std::uint32_t> draw(const std::string& text, RECT rect) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBoxBackground, 1.0f, 0);
        EXPECT_EQ(device_->BeginScene(), S_OK);
        EXPECT_EQ(sprite_->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE), S_OK);
        RECT r = rect;
        font_->DrawTextA(sprite_, text.c_str(), -1, &r, DT_WORDBREAK, 0xFF000000u);
        EXPECT_EQ(sprite_->End(), S_OK);
        EXPECT_EQ(device_->EndScene(), S_OK);
        std::vector<std::uint32_t> all, out;
        int w = 0, h = 0;
        EXPECT_TRUE(read_back_buffer(device_, all, w, h));
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) out.push_back(all[static_cast<std::size_t>(y) * w + x]);
        return out;
    }

    static std::vector<std::uint32_t> region(const MessageBoxPicture& p, RECT rect) {
        std::vector<std::uint32_t> out;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) out.push_back(p.argb[static_cast<std::size_t>(y) * p.width + x]);
        return out;
    }

    // Share of pixels that are ink in one and background in the other.
    static double ink_mismatch(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
        std::size_t differ = 0, ink = 0;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            ink += dark(a[i]) || dark(b[i]);
            differ += dark(a[i]) != dark(b[i]);
        }
        return ink ? static_cast<double>(differ) / static_cast<double>(ink) : 1.0;
    }

    HostWindow host_;
    PlatformWindow window_{&host_};
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXSprite* sprite_ = nullptr;
    ID3DXFont* font_ = nullptr;
};

TEST_F(DeviceText, BoxShowsTheJapaneseTextAsTheGameFontsDrawItNotTheJisCodes) {
    MessageBoxPicture box;
    ASSERT_TRUE(draw_message_box(kGraphicsText.c_str(), box));
    ASSERT_GT(box.text.right - box.text.left, 100);
    const std::vector<std::uint32_t> in_box = region(box, box.text);
    std::size_t ink = 0;
    for (std::uint32_t p : in_box) ink += dark(p);
    EXPECT_GT(ink, 300u) << "the box's text area is nearly empty";

    const double against_text = ink_mismatch(in_box, draw(kGraphicsText, box.text));
    const double against_mojibake = ink_mismatch(in_box, draw(kJisMojibake, box.text));
    EXPECT_LT(against_text, 0.05) << "the box's text differs from the same text drawn on the device";
    EXPECT_GT(against_mojibake, 0.30) << "the box's text looks like the JIS codes";
}

TEST(OwnMessageBoxLayout, HoldsTheTextAndAnOkButtonBelowIt) {
    MessageBoxPicture box;
    ASSERT_TRUE(draw_message_box(kGraphicsText.c_str(), box));
    ASSERT_EQ(box.argb.size(), static_cast<std::size_t>(box.width) * box.height);
    EXPECT_GE(box.text.left, 8);
    EXPECT_LE(box.text.right, box.width - 8);
    const RECT& ok = box.ok_button;
    EXPECT_GE(ok.top, box.text.bottom);
    EXPECT_LE(ok.bottom, box.height - 4);
    EXPECT_NEAR((ok.left + ok.right) / 2, box.width / 2, 1);
    // "OK" is written on the button.
    int ink = 0;
    for (int y = ok.top + 3; y < ok.bottom - 3; ++y)
        for (int x = ok.left + 3; x < ok.right - 3; ++x) ink += dark(box.argb[static_cast<std::size_t>(y) * box.width + x]);
    EXPECT_GT(ink, 20);

    // A long text wraps instead of making a box wider than a screen.
    std::string long_text;
    for (int i = 0; i < 8; ++i) long_text += kGraphicsText;
    MessageBoxPicture tall;
    ASSERT_TRUE(draw_message_box(long_text.c_str(), tall));
    EXPECT_LE(tall.width, 640);
    EXPECT_GT(tall.text.bottom - tall.text.top, 3 * (box.text.bottom - box.text.top));
    EXPECT_GT(tall.height, box.height);
}

// The box's window under SDL's offscreen driver, driven with events.
class OwnMessageBoxWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }

    static SDL_Event key(SDL_Window* window, SDL_Keycode code) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(window);
        e.key.keysym.sym = code;
        return e;
    }
    static SDL_Event button(SDL_Window* window, Uint32 type, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = SDL_GetWindowID(window);
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
        return e;
    }
};

TEST_F(OwnMessageBoxWindow, CarriesTheCaptionAndShowsThePicture) {
    OwnMessageBox box;
    ASSERT_TRUE(box.open(kCaption.c_str(), kGraphicsText.c_str()));
    ASSERT_NE(box.window(), nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(box.window()), "初期化失敗");
    int w = 0, h = 0;
    SDL_GetWindowSize(box.window(), &w, &h);
    EXPECT_EQ(w, box.picture().width);
    EXPECT_EQ(h, box.picture().height);
    EXPECT_TRUE(SDL_GetWindowFlags(box.window()) & SDL_WINDOW_SHOWN);

    SDL_Surface* surface = SDL_GetWindowSurface(box.window());
    ASSERT_NE(surface, nullptr);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
    ASSERT_NE(argb, nullptr);
    int differing = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(argb->pixels) + y * argb->pitch);
            differing += (row[x] | 0xFF000000u) != box.picture().argb[static_cast<std::size_t>(y) * w + x];
        }
    SDL_FreeSurface(argb);
    EXPECT_EQ(differing, 0) << "the window surface does not show the box";
}

TEST_F(OwnMessageBoxWindow, DismissedByReturnEscapeOkAndCloseBoxOnly) {
    auto fresh = [](OwnMessageBox& box) { return box.open(kCaption.c_str(), kGraphicsText.c_str()); };
    for (SDL_Keycode dismissing : {SDLK_RETURN, SDLK_KP_ENTER, SDLK_ESCAPE}) {
        OwnMessageBox box;
        ASSERT_TRUE(fresh(box));
        EXPECT_FALSE(box.handle(key(box.window(), SDLK_a)));
        EXPECT_FALSE(box.handle(key(box.window(), SDLK_TAB)));
        EXPECT_TRUE(box.handle(key(box.window(), dismissing))) << SDL_GetKeyName(dismissing);
    }

    OwnMessageBox box;
    ASSERT_TRUE(fresh(box));
    const RECT ok = box.picture().ok_button;
    const int cx = (ok.left + ok.right) / 2, cy = (ok.top + ok.bottom) / 2;
    // A press outside released on OK, or on OK released outside, is no click.
    EXPECT_FALSE(box.handle(button(box.window(), SDL_MOUSEBUTTONDOWN, 3, 3)));
    EXPECT_FALSE(box.handle(button(box.window(), SDL_MOUSEBUTTONUP, cx, cy)));
    EXPECT_FALSE(box.handle(button(box.window(), SDL_MOUSEBUTTONDOWN, cx, cy)));
    EXPECT_FALSE(box.handle(button(box.window(), SDL_MOUSEBUTTONUP, ok.right + 5, cy)));
    // Keys and clicks meant for another window do nothing.
    SDL_Event other = key(box.window(), SDLK_RETURN);
    other.key.windowID += 1000;
    EXPECT_FALSE(box.handle(other));
    EXPECT_FALSE(box.handle(button(box.window(), SDL_MOUSEBUTTONDOWN, cx, cy)));
    EXPECT_TRUE(box.handle(button(box.window(), SDL_MOUSEBUTTONUP, cx, cy)));

    OwnMessageBox closing;
    ASSERT_TRUE(fresh(closing));
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = SDL_GetWindowID(closing.window());
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_TRUE(closing.handle(close));
}

}  // namespace
