// The SDL graphics device, headless (offscreen video driver): the game's
// three creation attempts with their fallback, the blue clear, pixel-exact
// sprites, the colour key, text, and a lost device that comes back with its
// textures without reloading anything.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "support/hosted_device.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sprite/d3dx.h"
#include "platform/sprite/render_device.h"
#include "platform/hosted/managed_texture.h"
#include "platform/sprite/sprite_objects.h"
#include "png_files.h"
#include "sjis_text.h"

namespace {

constexpr D3DCOLOR blue = 0xFF0000FF;

D3DPRESENT_PARAMETERS game_params(HWND window) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferFormat = D3DFMT_UNKNOWN;
    p.BackBufferCount = 1;
    p.MultiSampleType = D3DMULTISAMPLE_NONE;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window;
    p.Windowed = 1;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return p;
}

// The game's three attempts, in its order; returns how many failed first.
int create_like_the_game(IDirect3D9* d3d, HWND window, D3DPRESENT_PARAMETERS& params, IDirect3DDevice9** device) {
    const std::pair<D3DDEVTYPE, DWORD> attempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    int failed = 0;
    for (auto [type, behaviour] : attempts) {
        if (SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, type, window, behaviour, &params, device))) return failed;
        EXPECT_EQ(*device, nullptr);
        ++failed;
    }
    return failed;
}

class SdlWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        host_.sdl = SDL_CreateWindow("device test", 0, 0, 1024, 768, SDL_WINDOW_HIDDEN);
        ASSERT_NE(host_.sdl, nullptr) << SDL_GetError();
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        params = game_params(&window_);
    }
    void TearDown() override {
        for (IDirect3DTexture9* t : textures) t->Release();
        if (sprite) sprite->Release();
        if (font) font->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
        if (host_.sdl) SDL_DestroyWindow(host_.sdl);
        sdl_graphics_refuse_renderers(RefuseNone);
        sdl_graphics_allow_software_gl(false);
    }

    HWND window() { return &window_; }

    std::vector<std::uint32_t> back_buffer() {
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        EXPECT_TRUE(read_back_buffer(device, pixels, w, h));
        EXPECT_EQ(w, 1024);
        EXPECT_EQ(h, 768);
        return pixels;
    }

    HostWindow host_;
    PlatformWindow window_{&host_};
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS params{};
    ID3DXSprite* sprite = nullptr;
    ID3DXFont* font = nullptr;
    std::vector<IDirect3DTexture9*> textures;
};

}  // namespace

// --- Creation --------------------------------------------------------------

using DeviceCreation = SdlWindowFixture;

TEST_F(DeviceCreation, FirstAttemptTakesTheGameSizeAndWritesItBack) {
    const int failed = create_like_the_game(d3d, window(), params, &device);
    ASSERT_LT(failed, 3);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(params.BackBufferWidth, 1024u);
    EXPECT_EQ(params.BackBufferHeight, 768u);
    RecordProperty("renderer", sdl_graphics_renderer_name(device));
}

TEST_F(DeviceCreation, WithoutAcceleratedRenderersTheReferenceKindUsesTheSoftwareRenderer) {
    sdl_graphics_refuse_renderers(RefuseAccelerated);
    EXPECT_EQ(create_like_the_game(d3d, window(), params, &device), 2);
    ASSERT_NE(device, nullptr);
    EXPECT_STREQ(sdl_graphics_renderer_name(device), "software");
    EXPECT_EQ(params.BackBufferWidth, 1024u);
}

TEST_F(DeviceCreation, WhenEveryKindIsRefusedAllThreeAttemptsFailAndTheWindowStaysUsable) {
    sdl_graphics_refuse_renderers(RefuseAccelerated | RefuseSoftware);
    EXPECT_EQ(create_like_the_game(d3d, window(), params, &device), 3);
    EXPECT_EQ(device, nullptr);
    sdl_graphics_refuse_renderers(RefuseNone);
    EXPECT_LT(create_like_the_game(d3d, window(), params, &device), 3);
    EXPECT_NE(device, nullptr);
}

// A tiling window manager may have resized the window before the device is
// made: the back buffer is still the game's 1024 x 768 picture.
TEST_F(DeviceCreation, TheBackBufferIsTheGameSizeWhateverTheWindowSizeAtCreation) {
    for (auto [w, h] : {std::pair{800, 600}, std::pair{1600, 1000}}) {
        SDL_SetWindowSize(host_.sdl, w, h);
        params = game_params(window());
        ASSERT_LT(create_like_the_game(d3d, window(), params, &device), 3);
        EXPECT_EQ(params.BackBufferWidth, 1024u) << "window " << w << " x " << h;
        EXPECT_EQ(params.BackBufferHeight, 768u) << "window " << w << " x " << h;
        std::vector<std::uint32_t> pixels;
        int bw = 0, bh = 0;
        ASSERT_TRUE(read_back_buffer(device, pixels, bw, bh));
        EXPECT_EQ(bw, 1024);
        EXPECT_EQ(bh, 768);
        device->Release();
        device = nullptr;
    }
}

namespace {
// Whether a library of the OpenGL stack is mapped into this process.
bool gl_stack_mapped() {
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) return false;
    char line[512];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, maps))
        found = std::strstr(line, "libLLVM") || std::strstr(line, "_dri.so") || std::strstr(line, "libGLX_mesa") ||
                std::strstr(line, "libEGL_mesa");
    std::fclose(maps);
    return found;
}
}  // namespace

// Without a GPU the "accelerated" renderer would be OpenGL on a software
// rasteriser: slower than SDL's own software renderer and tens of MiB of
// libraries. The game's hardware attempts fail, the reference kind takes
// the software renderer, and no OpenGL library is loaded for its window.
TEST_F(DeviceCreation, WithOnlyASoftwareOpenGLTheGameGetsTheSoftwareRendererWithoutOpenGL) {
    if (!only_software_gl_here()) GTEST_SKIP() << "this machine has a GPU render node";
    const bool mapped_before = gl_stack_mapped();
    EXPECT_EQ(create_like_the_game(d3d, window(), params, &device), 2);
    ASSERT_NE(device, nullptr);
    EXPECT_STREQ(sdl_graphics_renderer_name(device), "software");
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), "0");
    // Draw and present once, so the window's surface exists too.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    if (!mapped_before) EXPECT_FALSE(gl_stack_mapped()) << "an OpenGL library was loaded";
}

TEST(SoftwareOpenGL, MesaToldToRasteriseOnTheCpuCountsAsNoGpu) {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    EXPECT_TRUE(only_software_gl_here());
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    EXPECT_TRUE(only_software_gl_here());
    unsetenv("GALLIUM_DRIVER");
}

TEST_F(DeviceCreation, BadArgumentsAreInvalidCalls) {
    EXPECT_EQ(Direct3DCreate9(12345), nullptr);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, window(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, nullptr, &device),
              D3DERR_INVALIDCALL);
    D3DPRESENT_PARAMETERS no_window = game_params(nullptr);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &no_window, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, window(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device),
              S_OK);
    IDirect3DDevice9* second = nullptr;
    D3DPRESENT_PARAMETERS again = game_params(window());
    EXPECT_LT(d3d->CreateDevice(0, D3DDEVTYPE_REF, window(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &again, &second), 0);
    EXPECT_EQ(second, nullptr);
}

// --- Drawing, on each renderer kind ------------------------------------------

enum class Kind { Accelerated, Software };

class DeviceDrawing : public SdlWindowFixture, public ::testing::WithParamInterface<Kind> {
protected:
    void SetUp() override {
        SdlWindowFixture::SetUp();
        if (::testing::Test::HasFatalFailure()) return;
        const bool software = GetParam() == Kind::Software;
        // The OpenGL path is tested even where OpenGL only runs on the CPU
        // (the game itself would not take it there).
        if (!software) sdl_graphics_allow_software_gl(true);
        const HRESULT made =
            software ? d3d->CreateDevice(0, D3DDEVTYPE_REF, window(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device)
                     : d3d->CreateDevice(0, D3DDEVTYPE_HAL, window(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &params,
                                         &device);
        if (!software && FAILED(made)) GTEST_SKIP() << "no accelerated renderer on this machine";
        ASSERT_EQ(made, S_OK);
        const D3DVIEWPORT9 viewport{0, 0, params.BackBufferWidth, params.BackBufferHeight, 0.0f, 1.0f};
        ASSERT_EQ(device->SetViewport(&viewport), S_OK);
        ASSERT_EQ(D3DXCreateSprite(device, &sprite), S_OK);
        sprite->OnResetDevice();
    }

    // A texture of distinct opaque texels.
    IDirect3DTexture9* pattern_texture(int w, int h, std::vector<std::uint32_t>& texels) {
        std::mt19937 random(7);
        texels.resize(static_cast<std::size_t>(w) * h);
        for (std::uint32_t& t : texels) t = 0xFF000000u | (random() & 0xFFFFFF);
        TextureImage image;
        image.levels.push_back({w, h, texels});
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(create_texture_from_image(render_backend_of(device), std::move(image), &t), S_OK);
        textures.push_back(t);
        return t;
    }

    void frame(const std::function<void()>& draw) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0);
        ASSERT_EQ(device->BeginScene(), S_OK);
        ASSERT_EQ(sprite->Begin(0x11), S_OK);
        draw();
        ASSERT_EQ(sprite->End(), S_OK);
        ASSERT_EQ(device->EndScene(), S_OK);
    }

    void draw_at(IDirect3DTexture9* t, RECT source, float x, float y, D3DCOLOR colour = 0xFFFFFFFF) {
        const D3DXVECTOR3 at{x, y, 0.0f};
        EXPECT_EQ(sprite->Draw(t, &source, nullptr, &at, colour), S_OK);
    }
};

INSTANTIATE_TEST_SUITE_P(Renderers, DeviceDrawing, ::testing::Values(Kind::Accelerated, Kind::Software),
                         [](const auto& info) { return info.param == Kind::Software ? "Software" : "Accelerated"; });

TEST_P(DeviceDrawing, ClearFillsTheBackBufferWithOpaqueBlue) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0), S_OK);
    const auto pixels = back_buffer();
    for (std::size_t i = 0; i < pixels.size(); i += 97) ASSERT_EQ(pixels[i], blue) << "pixel " << i;
    EXPECT_EQ(pixels.back(), blue);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST_P(DeviceDrawing, ScenesPairUp) {
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), S_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), S_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    const D3DVIEWPORT9 too_big{0, 0, 2000, 768, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&too_big), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetViewport(nullptr), D3DERR_INVALIDCALL);
}

TEST_P(DeviceDrawing, ASpriteAtAWholePixelCopiesTexelsOneToOne) {
    std::vector<std::uint32_t> texels;
    IDirect3DTexture9* t = pattern_texture(64, 64, texels);
    frame([&] { draw_at(t, {8, 4, 40, 36}, 100.0f, 200.0f); });
    const auto pixels = back_buffer();
    int wrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (pixels[static_cast<std::size_t>(200 + y) * 1024 + 100 + x] != texels[(4 + y) * 64 + 8 + x]) ++wrong;
    EXPECT_EQ(wrong, 0);
    // Nothing spills out of the quad.
    EXPECT_EQ(pixels[199 * 1024 + 100], blue);
    EXPECT_EQ(pixels[200 * 1024 + 99], blue);
    EXPECT_EQ(pixels[232 * 1024 + 131], blue);
    EXPECT_EQ(pixels[231 * 1024 + 132], blue);
}

TEST_P(DeviceDrawing, LaterQuadsCoverEarlierOnesAndAlphaFades) {
    std::vector<std::uint32_t> texels;
    IDirect3DTexture9* t = pattern_texture(4, 4, texels);
    TextureImage white;
    white.levels.push_back({4, 4, std::vector<std::uint32_t>(16, 0xFFFFFFFF)});
    IDirect3DTexture9* w = nullptr;
    ASSERT_EQ(create_texture_from_image(render_backend_of(device), std::move(white), &w), S_OK);
    textures.push_back(w);
    frame([&] {
        draw_at(t, {0, 0, 4, 4}, 10, 10);
        draw_at(w, {0, 0, 4, 4}, 10, 10);          // covers the pattern
        draw_at(w, {0, 0, 4, 4}, 20, 10, 0x80FFFFFF);  // half over blue
        draw_at(w, {0, 0, 4, 4}, 30, 10, 0xFFFF0000);  // tinted red
    });
    const auto pixels = back_buffer();
    EXPECT_EQ(pixels[11 * 1024 + 11], 0xFFFFFFFFu);
    const std::uint32_t faded = pixels[11 * 1024 + 21];
    EXPECT_NEAR(static_cast<int>(faded >> 16 & 0xFF), 128, 3);
    EXPECT_EQ(faded & 0xFF, 0xFFu);
    EXPECT_EQ(pixels[11 * 1024 + 31], 0xFFFF0000u);
}

TEST_P(DeviceDrawing, AtlasWhiteIsTransparentAndNearWhiteIsNot) {
    const std::string path = scratch_path("keyed_atlas.png");
    ASSERT_TRUE(write_png(path, rgba_png(2, 1, {0xFFFFFFFF, 0xFFFEFFFF})));
    IDirect3DTexture9* atlas = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFFFFFFFF, nullptr, nullptr,
                                           &atlas),
              S_OK);
    textures.push_back(atlas);
    EXPECT_EQ(atlas->GetLevelCount(), 2u);
    frame([&] { draw_at(atlas, {0, 0, 2, 1}, 50, 60); });
    const auto pixels = back_buffer();
    EXPECT_EQ(pixels[60 * 1024 + 50], blue);
    EXPECT_EQ(pixels[60 * 1024 + 51], 0xFFFEFFFFu);
}

TEST_P(DeviceDrawing, AMissingOrBadAtlasFailsCleanly) {
    IDirect3DTexture9* atlas = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_LT(D3DXCreateTextureFromFileExA(device, "game/no_such_bitmap.png", D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                           D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFFFFFFFF,
                                           nullptr, nullptr, &atlas),
              0);
    EXPECT_EQ(atlas, nullptr);
    const std::string path = scratch_path("not_an_image.png");
    write_file(path, {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFFFFFFFF, nullptr, nullptr,
                                           &atlas),
              D3DXERR_INVALIDDATA);
}

TEST_P(DeviceDrawing, TextInkStaysInsideItsRectangle) {
    const std::string face = sjis("ＭＳ ゴシック"), text = sjis("ぽこ丸ジグゾー");
    ASSERT_EQ(D3DXCreateFontA(device, 16, 0, 400, 1, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, face.c_str(), &font),
              S_OK);
    RECT rect{100, 100, 140, 116};
    frame([&] { EXPECT_EQ(font->DrawTextA(sprite, text.c_str(), -1, &rect, 0, 0xFFFFFF00), 16); });
    const auto pixels = back_buffer();
    int inside = 0, outside = 0;
    for (int y = 90; y < 130; ++y)
        for (int x = 90; x < 250; ++x) {
            const bool in = x >= 100 && x < 140 && y >= 100 && y < 116;
            if (pixels[static_cast<std::size_t>(y) * 1024 + x] != blue) (in ? inside : outside)++;
        }
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);
}

TEST_P(DeviceDrawing, ALostDeviceComesBackWithItsTexturesAndGlyphs) {
    std::vector<std::uint32_t> texels;
    IDirect3DTexture9* t = pattern_texture(64, 64, texels);
    const std::string face = sjis("メイリオ"), text = sjis("記録更新！");
    ASSERT_EQ(D3DXCreateFontA(device, 32, 0, 400, 1, 0, SHIFTJIS_CHARSET, 0, 0, 0, face.c_str(), &font), S_OK);
    RECT rect{300, 300, 600, 340};
    auto scene = [&] {
        draw_at(t, {0, 0, 64, 64}, 10, 10);
        font->DrawTextA(sprite, text.c_str(), -1, &rect, 0, 0xFFFFFFFF);
    };
    frame(scene);
    const auto before = back_buffer();
    ASSERT_EQ(device->TestCooperativeLevel(), S_OK);

    sdl_graphics_simulate_device_loss(device);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    // While lost a frame goes through harmlessly and present says so.
    frame(scene);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    // The game's recovery.
    sprite->OnLostDevice();
    ASSERT_EQ(device->Reset(&params), S_OK);
    sprite->OnResetDevice();
    EXPECT_EQ(device->TestCooperativeLevel(), S_OK);
    EXPECT_EQ(params.BackBufferWidth, 1024u);

    frame(scene);
    EXPECT_EQ(back_buffer(), before);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

TEST_P(DeviceDrawing, RenderResetEventsMarkTheDeviceLostEvenWhenSomeoneElseTakesThem) {
    SDL_Event event{};
    event.type = SDL_RENDER_TARGETS_RESET;
    SDL_PushEvent(&event);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // the message pump took it
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device->Reset(&params), S_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), S_OK);
    EXPECT_EQ(device->Reset(nullptr), D3DERR_INVALIDCALL);
}

TEST_P(DeviceDrawing, TheBackBufferKeepsItsSizeWhenTheWindowChanges) {
    SDL_SetWindowSize(host_.sdl, 640, 400);
    frame([] {});
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    back_buffer();  // still 1024 x 768
    ASSERT_EQ(device->Reset(&params), S_OK);
    EXPECT_EQ(params.BackBufferWidth, 1024u);
    back_buffer();
}

// --- Redrawing only where a frame changed ------------------------------------

// Every present is compared with the same frame drawn in full (the device's
// frame check), and drawn in full or only inside its changed rectangles as
// expected.
enum class Drawn { InFull, InPart, Either };

class ChangedRegions : public DeviceDrawing {
protected:
    void present_and_compare(const char* what, Drawn expected) {
        const unsigned long before = sdl_graphics_damaged_presents(device);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK) << what;
        const FrameCheck c = sdl_graphics_frame_check(device);
        EXPECT_EQ(c.differing_frames, 0u) << what << ": frame " << c.first_frame << " differs at (" << c.first_x
                                          << ", " << c.first_y << "): full 0x" << std::hex << c.full << ", shown 0x"
                                          << c.shown;
        EXPECT_EQ(c.window_differing_frames, 0u)
            << what << ": the window differs from the back buffer at (" << c.window_first_x << ", "
            << c.window_first_y << ") since frame " << c.window_first_frame;
        const bool in_part = sdl_graphics_damaged_presents(device) != before;
        if (expected == Drawn::InPart) EXPECT_TRUE(in_part) << what << ": drawn in full, not only where it changed";
        if (expected == Drawn::InFull) EXPECT_FALSE(in_part) << what << ": drawn only in part, not in full";
    }
};

INSTANTIATE_TEST_SUITE_P(Renderers, ChangedRegions, ::testing::Values(Kind::Accelerated, Kind::Software),
                         [](const auto& info) { return info.param == Kind::Software ? "Software" : "Accelerated"; });

TEST_P(ChangedRegions, MovedAddedRemovedAndRepaintedQuadsLookDrawnInFull) {
    std::vector<std::uint32_t> texels;
    IDirect3DTexture9* pattern = pattern_texture(64, 64, texels);
    auto* managed = dynamic_cast<ManagedTexture*>(pattern);
    ASSERT_NE(managed, nullptr);
    sdl_graphics_check_frames(device, true);

    // A scene of overlapping quads, some translucent, some between pixels
    // (filtered); the one at (moving_x, moving_y) is the one that changes.
    auto scene = [&](float moving_x, float moving_y, bool extra, bool tinted) {
        frame([&] {
            for (int i = 0; i < 12; ++i)
                draw_at(pattern, {0, 0, 64, 64}, 40.0f + i * 50.0f, 100.0f + (i % 3) * 30.0f,
                        i % 2 ? 0x90FFFFFF : 0xFFFFFFFF);
            draw_at(pattern, {8, 8, 40, 40}, moving_x, moving_y, tinted ? 0xA0FF8040 : 0xC0FFFFFF);
            for (int i = 0; i < 6; ++i) draw_at(pattern, {16, 16, 48, 48}, 300.0f + i * 20.5f, 140.25f, 0x70FFFFFF);
            if (extra) draw_at(pattern, {0, 0, 16, 16}, 700.5f, 500.5f, 0x80FFFFFF);
        });
    };
    scene(200, 120, false, false);
    present_and_compare("the first frame", Drawn::InFull);
    scene(200, 120, false, false);
    present_and_compare("the same frame again", Drawn::Either);  // nothing changed
    scene(201, 120, false, false);
    present_and_compare("a quad moved a pixel", Drawn::InPart);
    scene(200.5f, 121.5f, false, false);
    present_and_compare("a quad moved between pixels", Drawn::InPart);
    scene(200.5f, 121.5f, false, true);
    present_and_compare("a quad tinted", Drawn::InPart);
    scene(200.5f, 121.5f, true, true);
    present_and_compare("a quad added", Drawn::InPart);
    scene(330, 150, false, true);
    present_and_compare("a quad moved across others and one removed", Drawn::InPart);

    // New texels under unchanged quads: every quad of the texture is
    // damaged, which here is most of what is drawn but under half the
    // back buffer.
    std::vector<std::uint32_t> stripe(32 * 4, 0x80FF00FFu);
    ASSERT_TRUE(render_backend_of(device)->update_texture(managed->handle(), 16, 20, 32, 4, stripe.data(), 32));
    scene(330, 150, false, true);
    present_and_compare("texels changed under still quads", Drawn::InPart);

    // Another frame altogether, then one whose clear colour changed: all of
    // the back buffer changed, too much to redraw by parts.
    frame([&] { draw_at(pattern, {0, 0, 64, 64}, 0, 0); });
    present_and_compare("a different frame", Drawn::Either);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    ASSERT_EQ(device->BeginScene(), S_OK);
    ASSERT_EQ(device->EndScene(), S_OK);
    present_and_compare("another clear colour", Drawn::InFull);

    // Across a resize of the window (drawn in full when the device sees the
    // new size).
    scene(330, 150, false, false);
    present_and_compare("back to the scene", Drawn::InFull);
    SDL_SetWindowSize(host_.sdl, 700, 500);
    scene(331, 150, false, false);
    present_and_compare("a quad moved as the window was resized", Drawn::Either);
    scene(332, 150, false, false);
    present_and_compare("a quad moved after the resize", Drawn::InPart);
    // Back at the back buffer's size the window keeps its picture again.
    SDL_SetWindowSize(host_.sdl, 1024, 768);
    for (float x = 333; x < 336; ++x) {
        scene(x, 150, false, false);
        present_and_compare("a quad moved back at the first size", Drawn::Either);
    }
    const FrameCheck c = sdl_graphics_frame_check(device);
    EXPECT_GT(c.frames, 10u);
    if (GetParam() == Kind::Software) EXPECT_GT(c.window_frames, 5u) << "the window was compared too";
}
