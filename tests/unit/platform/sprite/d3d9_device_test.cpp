// The sprite batch, fonts and texture loader over a real Direct3D 9 device
// (Windows only; under Wine it needs an X display): pictures at whole-number
// positions copy texels one to one, vertex colours tint and fade, texels of
// alpha 0 are not drawn, the atlas arrives with its whole mip chain and its
// colour key, bad files fail as on Linux, managed textures survive a reset,
// and the game's fonts put glyphs on the back buffer.

#if defined(_WIN32)

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/frame_calls.h"
#include "platform/sprite/d3dx.h"
#include "platform/sprite/font.h"
#include "platform/sprite/render_device.h"
#include "platform/sprite/sprite_objects.h"
#include "sjis_text.h"

namespace {

constexpr D3DCOLOR kBlue = 0xFF0000FF;

std::string source_path(const std::string& relative) { return std::string(POKOMARU_SOURCE_DIR) + "/" + relative; }

std::string scratch_file(const std::string& name, const std::vector<char>& bytes) {
    const std::filesystem::path folder = std::filesystem::path(POKOMARU_BINARY_DIR) / "test_scratch" /
                                         ("d3d9-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<char> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One window and device for the whole suite: making them takes seconds
// under Wine. Each test has its own sprite batch, textures and fonts.
class D3d9Device : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"d3d9_device_test";
        RegisterClassExW(&wc);
        RECT outer{0, 0, 1024, 768};
        AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
        window = CreateWindowExW(0, wc.lpszClassName, L"d3d9 device test", WS_OVERLAPPEDWINDOW, 0, 0,
                                 outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        if (!window) return;
        ShowWindow(window, SW_SHOWNORMAL);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!d3d) return;
        params = D3DPRESENT_PARAMETERS{};
        params.BackBufferWidth = 1024;
        params.BackBufferHeight = 768;
        params.BackBufferCount = 1;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = window;
        params.Windowed = TRUE;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        // The game's own order of attempts.
        const struct {
            D3DDEVTYPE type;
            DWORD behaviour;
        } attempts[] = {{D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
                        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
                        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING}};
        for (const auto& a : attempts)
            if (SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, a.type, window, a.behaviour, &params, &device))) break;
    }

    static void TearDownTestSuite() {
        if (device) {
            release_render_backend(device);
            device->Release();
            device = nullptr;
        }
        if (d3d) d3d->Release();
        d3d = nullptr;
        if (window) DestroyWindow(window);
        window = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(window, nullptr);
        ASSERT_NE(d3d, nullptr);
        ASSERT_NE(device, nullptr) << "no Direct3D 9 device of any kind (under Wine: is there an X display?)";
        ASSERT_EQ(D3DXCreateSprite(device, &sprite), S_OK);
        sprite->OnResetDevice();
    }

    void TearDown() override {
        for (IDirect3DTexture9* t : textures) t->Release();
        if (sprite) sprite->Release();
        for (ID3DXFont* f : fonts) f->Release();
    }

    IDirect3DTexture9* texture_of(TextureImage image) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(create_device_texture(device, std::move(image), &t), S_OK);
        if (t) textures.push_back(t);
        return t;
    }

    // A texture of distinct opaque texels.
    IDirect3DTexture9* pattern(int w, int h, std::vector<std::uint32_t>& texels) {
        std::mt19937 random(11);
        texels.resize(static_cast<std::size_t>(w) * h);
        for (std::uint32_t& t : texels) t = 0xFF000000u | (random() & 0xFFFFFF);
        TextureImage image;
        image.has_alpha = true;
        image.levels.push_back({w, h, texels});
        return texture_of(std::move(image));
    }

    IDirect3DTexture9* solid(std::uint32_t texel) {
        TextureImage image;
        image.has_alpha = true;
        image.levels.push_back({4, 4, std::vector<std::uint32_t>(16, texel)});
        return texture_of(std::move(image));
    }

    void frame(const std::function<void()>& draw) {
        ASSERT_EQ(device_clear(device, 0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0), S_OK);
        ASSERT_EQ(device_begin_scene(device), S_OK);
        ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE), S_OK);
        draw();
        ASSERT_EQ(sprite->End(), S_OK);
        ASSERT_EQ(device_end_scene(device), S_OK);
    }

    void draw_at(IDirect3DTexture9* t, RECT source, float x, float y, D3DCOLOR colour = 0xFFFFFFFF) {
        const D3DXVECTOR3 at{x, y, 0};
        EXPECT_EQ(sprite->Draw(t, &source, nullptr, &at, colour), S_OK);
    }

    std::vector<std::uint32_t> back_buffer() {
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        EXPECT_TRUE(read_back_buffer(device, pixels, w, h));
        EXPECT_EQ(w, 1024);
        EXPECT_EQ(h, 768);
        pixels.resize(1024 * 768);
        return pixels;
    }

    static inline HWND window = nullptr;
    static inline IDirect3D9* d3d = nullptr;
    static inline IDirect3DDevice9* device = nullptr;
    static inline D3DPRESENT_PARAMETERS params{};
    ID3DXSprite* sprite = nullptr;
    std::vector<IDirect3DTexture9*> textures;
    std::vector<ID3DXFont*> fonts;
};

}  // namespace

TEST_F(D3d9Device, TheBackendReportsWhatTheDeviceOffers) {
    RenderBackend* backend = render_backend_of(device);
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(render_backend_of(device), backend) << "one backend per device";
    EXPECT_GE(backend->max_texture_size(), 2048);
    EXPECT_TRUE(backend->blending_available());
}

TEST_F(D3d9Device, APictureAtAWholeNumberPositionCopiesItsTexelsOneToOne) {
    std::vector<std::uint32_t> texels;
    IDirect3DTexture9* t = pattern(64, 32, texels);
    frame([&] {
        draw_at(t, {0, 0, 64, 32}, 100, 200);
        draw_at(t, {8, 4, 40, 20}, 300, 50);  // a part of it, elsewhere
    });
    const auto pixels = back_buffer();
    int wrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) wrong += pixels[(200 + y) * 1024 + 100 + x] != texels[y * 64 + x];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) wrong += pixels[(50 + y) * 1024 + 300 + x] != texels[(4 + y) * 64 + 8 + x];
    EXPECT_EQ(wrong, 0) << "texels not copied exactly";
    // Nothing spills over the edges.
    EXPECT_EQ(pixels[199 * 1024 + 100], kBlue);
    EXPECT_EQ(pixels[200 * 1024 + 99], kBlue);
    EXPECT_EQ(pixels[232 * 1024 + 100], kBlue);
    EXPECT_EQ(pixels[200 * 1024 + 164], kBlue);
}

TEST_F(D3d9Device, VertexColoursTintAndFadeAndTransparentTexelsAreNotDrawn) {
    IDirect3DTexture9* white = solid(0xFFFFFFFF);
    IDirect3DTexture9* clear = solid(0x00FFFFFF);
    frame([&] {
        draw_at(white, {0, 0, 4, 4}, 10, 10);
        draw_at(white, {0, 0, 4, 4}, 20, 10, 0x80FFFFFF);
        draw_at(white, {0, 0, 4, 4}, 30, 10, 0xFFFF0000);
        draw_at(clear, {0, 0, 4, 4}, 40, 10);
    });
    const auto pixels = back_buffer();
    EXPECT_EQ(pixels[11 * 1024 + 11], 0xFFFFFFFFu);
    const std::uint32_t faded = pixels[11 * 1024 + 21];
    EXPECT_NEAR(static_cast<int>(faded >> 16 & 0xFF), 128, 3);
    EXPECT_EQ(faded & 0xFF, 0xFFu);
    EXPECT_EQ(pixels[11 * 1024 + 31], 0xFFFF0000u);
    EXPECT_EQ(pixels[11 * 1024 + 41], kBlue);
}

TEST_F(D3d9Device, TheAtlasArrivesWithItsMipChainAndItsWhiteMadeTransparent) {
    IDirect3DTexture9* atlas = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, source_path("game/bitmap.png").c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                           0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                           0xFFFFFFFF, nullptr, nullptr, &atlas),
              S_OK);
    textures.push_back(atlas);
    D3DSURFACE_DESC top{};
    ASSERT_EQ(atlas->GetLevelDesc(0, &top), S_OK);
    EXPECT_EQ(atlas->GetLevelCount(), full_mip_level_count(static_cast<int>(top.Width), static_cast<int>(top.Height)));
    EXPECT_EQ(top.Pool, D3DPOOL_MANAGED);

    // What the shared loader made of the file is what the device shows.
    TextureRequest request;
    request.colour_key = 0xFFFFFFFF;
    request.max_texture_size = render_backend_of(device)->max_texture_size();
    TextureImage expected;
    ASSERT_EQ(load_texture_image(source_path("game/bitmap.png").c_str(), request, expected), ImageError::None);
    const ArgbImage& level0 = expected.levels[0];
    frame([&] { draw_at(atlas, {0, 0, 1024, 768}, 0, 0); });
    const auto pixels = back_buffer();
    int wrong = 0, keyed = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const std::uint32_t t = level0.at(x, y);
            if (t == 0) {
                ++keyed;
                wrong += pixels[y * 1024 + x] != kBlue;  // transparent: the clear colour shows
            } else if (t >> 24 == 0xFF) {
                wrong += pixels[y * 1024 + x] != t;
            }
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(keyed, 0) << "the atlas has white to key out";
}

TEST_F(D3d9Device, BadAtlasFilesFailAsInvalidData) {
    const std::vector<char> good = file_bytes(source_path("game/bitmap.png"));
    ASSERT_GT(good.size(), 1000u);
    std::vector<char> corrupt = good;
    for (std::size_t i = good.size() / 2; i < good.size() / 2 + 64; ++i) corrupt[i] = static_cast<char>(~corrupt[i]);
    const std::vector<char> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 3));
    const std::string not_png_text = "this is not an image";
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"empty", scratch_file("empty.png", {})},
        {"missing", scratch_file("empty.png", {}) + ".absent"},
        {"not a PNG", scratch_file("text.png", {not_png_text.begin(), not_png_text.end()})},
        {"truncated", scratch_file("truncated.png", truncated)},
        {"corrupt", scratch_file("corrupt.png", corrupt)},
    };
    for (const auto& c : cases) {
        IDirect3DTexture9* t = reinterpret_cast<IDirect3DTexture9*>(1);
        EXPECT_EQ(D3DXCreateTextureFromFileExA(device, c.path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                               D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                               0xFFFFFFFF, nullptr, nullptr, &t),
                  D3DXERR_INVALIDDATA)
            << c.name;
        EXPECT_EQ(t, nullptr) << c.name;
    }
}

TEST_F(D3d9Device, ManagedTexturesSurviveAReset) {
    std::vector<std::uint32_t> texels;
    IDirect3DTexture9* t = pattern(16, 16, texels);
    sprite->OnLostDevice();
    ASSERT_EQ(device->Reset(&params), S_OK);
    sprite->OnResetDevice();
    D3DVIEWPORT9 view{0, 0, 1024, 768, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&view), S_OK);
    frame([&] { draw_at(t, {0, 0, 16, 16}, 5, 6); });
    const auto pixels = back_buffer();
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) wrong += pixels[(6 + y) * 1024 + 5 + x] != texels[y * 16 + x];
    EXPECT_EQ(wrong, 0);
}

TEST_F(D3d9Device, TheGamesFontsDrawJapaneseTextInTheirCellHeight) {
    const struct {
        int height;
        UINT weight;
        const char* face;
    } rows[] = {{144, 700, "ＭＳ 明朝"}, {28, 400, "ＭＳ ゴシック"}, {32, 400, "メイリオ"}, {16, 700, "ＭＳ ゴシック"}};
    for (const auto& row : rows) {
        ID3DXFont* font = nullptr;
        const std::string face = sjis(row.face);
        ASSERT_EQ(D3DXCreateFontA(device, row.height, 0, row.weight, 1, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str(), &font),
                  S_OK)
            << row.face;
        fonts.push_back(font);
        FontDescription d;
        ASSERT_TRUE(describe_font(font, d));
        EXPECT_EQ(d.height, row.height) << row.face;
        EXPECT_EQ(d.bold, row.weight >= 700) << row.face;
        EXPECT_FALSE(d.family.empty());
    }

    const std::string text = sjis("埼玉県さいたま市");
    RECT measured{0, 0, 1000, 1000};
    EXPECT_EQ(fonts[1]->DrawTextA(nullptr, text.c_str(), -1, &measured, DT_CALCRECT, 0xFFFFFFFF), 28);
    EXPECT_GT(measured.right, 28 * 4) << "eight full-width characters";
    EXPECT_LE(measured.right, 28 * 8 + 8);

    RECT where{100, 100, 700, 200};
    frame([&] { fonts[1]->DrawTextA(sprite, text.c_str(), -1, &where, 0, 0xFFFFFFFF); });
    const auto pixels = back_buffer();
    int inked = 0, outside = 0;
    for (int y = 90; y < 210; ++y)
        for (int x = 90; x < 710; ++x) {
            const bool inside = x >= 100 && x < 100 + measured.right && y >= 100 && y < 128;
            const bool ink = pixels[y * 1024 + x] != kBlue;
            (inside ? inked : outside) += ink;
        }
    EXPECT_GT(inked, 28 * 28) << "the glyphs reach the back buffer";
    EXPECT_EQ(outside, 0) << "and nothing outside the measured text";
}

#endif  // defined(_WIN32)
