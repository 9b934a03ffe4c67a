// The Direct3D 9 device under the game draws a frame only when it changes
// the picture (Windows only; under Wine it needs an X display): a repeated
// frame is not drawn, a changed one is drawn exactly as without the skip,
// and the window's exposure, resizing and activation, a reset and the
// device's own methods keep their meaning.

#if defined(_WIN32)

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sprite/d3dx.h"
#include "platform/frame_calls.h"
#include "platform/sprite/render_device.h"
#include "platform/win32/frame_skip.h"
#include "platform/window.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;

// The game's window procedure ends in DefWindowProcA; so does this one.
LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

class FrameSkip : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = test_window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = "frame_skip_test";
        RegisterClassExA(&wc);
        RECT outer{0, 0, kWidth, kHeight};
        AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
        window = CreateWindowExA(0, wc.lpszClassName, "frame skip test", WS_OVERLAPPEDWINDOW, 0, 0,
                                 outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, wc.hInstance,
                                 nullptr);
        if (!window) return;
        ShowWindow(window, SW_SHOWNORMAL);
        pump_messages();
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!d3d) return;
        params = D3DPRESENT_PARAMETERS{};
        params.BackBufferWidth = kWidth;
        params.BackBufferHeight = kHeight;
        params.BackBufferCount = 1;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = window;
        params.Windowed = TRUE;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
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

    static void pump_messages() {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    void SetUp() override {
        ASSERT_NE(window, nullptr);
        ASSERT_NE(device, nullptr) << "no Direct3D 9 device of any kind (under Wine: is there an X display?)";
        ASSERT_EQ(D3DXCreateSprite(device, &sprite), S_OK);
        sprite->OnResetDevice();
        set_frame_skipping(device, true);
        set_before_present(device, [this] {
            int w = 0, h = 0;
            shown.clear();
            EXPECT_TRUE(read_back_buffer(device, shown, w, h));
        });
        red = solid(0xFFFF0000);
        half_green = solid(0x8000FF00);
    }

    void TearDown() override {
        if (device) {
            set_before_present(device, nullptr);
            set_frame_skipping(device, true);
        }
        for (IDirect3DTexture9* t : textures) t->Release();
        if (sprite) sprite->Release();
    }

    IDirect3DTexture9* solid(std::uint32_t texel) {
        TextureImage image;
        image.has_alpha = true;
        image.levels.push_back({8, 8, std::vector<std::uint32_t>(64, texel)});
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(create_device_texture(device, std::move(image), &t), S_OK);
        if (t) textures.push_back(t);
        return t;
    }

    // One frame as the game draws it: clear, scene, the sprite batch, present.
    HRESULT frame(D3DCOLOR clear_colour, float x, float y) {
        EXPECT_EQ(device_clear(device, 0, nullptr, D3DCLEAR_TARGET, clear_colour, 1.0f, 0), S_OK);
        EXPECT_EQ(device_begin_scene(device), S_OK);
        EXPECT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE), S_OK);
        const RECT source{0, 0, 8, 8};
        const D3DXVECTOR3 at{x, y, 0};
        EXPECT_EQ(sprite->Draw(red, &source, nullptr, &at, 0xFFFFFFFF), S_OK);
        const D3DXVECTOR3 over{x + 4, y + 4, 0};
        EXPECT_EQ(sprite->Draw(half_green, &source, nullptr, &over, 0xFFFFFFFF), S_OK);
        EXPECT_EQ(sprite->End(), S_OK);
        EXPECT_EQ(device_end_scene(device), S_OK);
        return device_present(device, nullptr, nullptr, nullptr, nullptr);
    }

    // The picture the same frame gives when every call is drawn at once.
    std::vector<std::uint32_t> unskipped_picture(D3DCOLOR clear_colour, float x, float y) {
        set_frame_skipping(device, false);
        EXPECT_EQ(frame(clear_colour, x, y), S_OK);
        set_frame_skipping(device, true);
        return shown;
    }

    unsigned long drawn() const { return present_counts(device).drawn; }
    unsigned long skipped() const { return present_counts(device).skipped; }

    static inline HWND window = nullptr;
    static inline IDirect3D9* d3d = nullptr;
    static inline IDirect3DDevice9* device = nullptr;
    static inline D3DPRESENT_PARAMETERS params{};
    ID3DXSprite* sprite = nullptr;
    IDirect3DTexture9* red = nullptr;
    IDirect3DTexture9* half_green = nullptr;
    std::vector<IDirect3DTexture9*> textures;
    std::vector<std::uint32_t> shown;  // the back buffer at the last real present
};

}  // namespace

TEST_F(FrameSkip, ARepeatedFrameIsNotDrawnAgain) {
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    const unsigned long drawn_once = drawn(), skipped_before = skipped();
    for (int i = 0; i < 5; ++i) ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(drawn(), drawn_once) << "a frame the window already shows reached the system's present";
    EXPECT_EQ(skipped(), skipped_before + 5);
}

TEST_F(FrameSkip, AChangedFrameIsDrawnExactlyAsWithoutTheSkip) {
    const struct {
        D3DCOLOR clear;
        float x, y;
    } frames[] = {{0xFF0000FF, 10, 10}, {0xFF0000FF, 11, 10}, {0xFF102030, 11, 10}, {0xFF102030, 40.5f, 7}};
    for (const auto& f : frames) {
        const std::vector<std::uint32_t> expected = unskipped_picture(f.clear, f.x, f.y);
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(kWidth * kHeight));
        // The previous picture first, so that this one is a change.
        ASSERT_EQ(frame(0xFF000000, 100, 100), S_OK);
        const unsigned long before = drawn();
        ASSERT_EQ(frame(f.clear, f.x, f.y), S_OK);
        EXPECT_EQ(drawn(), before + 1) << "a changed frame was not drawn";
        EXPECT_EQ(shown, expected) << "clear " << std::hex << f.clear << std::dec << " at " << f.x << "," << f.y;
    }
}

TEST_F(FrameSkip, NewTexelsUnderTheSameDrawsAreDrawn) {
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    int w = 0, h = 0;
    const BackendTexture handle = backend_texture_of(red, w, h);
    ASSERT_NE(handle, 0u);
    const std::vector<std::uint32_t> yellow(64, 0xFFFFFF00);
    ASSERT_TRUE(render_backend_of(device)->update_texture(handle, 0, 0, 8, 8, yellow.data(), 8));
    const unsigned long before = drawn();
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(drawn(), before + 1) << "the texture changed but the frame was skipped";
    EXPECT_EQ(shown, unskipped_picture(0xFF0000FF, 10, 10));
}

TEST_F(FrameSkip, TextureChangesInTheMiddleOfAFrameComeAfterTheDrawsBeforeThem) {
    // Drawn, then the texture changes, then drawn again: the first quad
    // keeps the old texels, as on a device that draws at once.
    auto two_draws = [&](const std::vector<std::uint32_t>& first, const std::vector<std::uint32_t>& second) {
        int w = 0, h = 0;
        const BackendTexture handle = backend_texture_of(red, w, h);
        ASSERT_TRUE(render_backend_of(device)->update_texture(handle, 0, 0, 8, 8, first.data(), 8));
        ASSERT_EQ(device_clear(device, 0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), S_OK);
        ASSERT_EQ(device_begin_scene(device), S_OK);
        const RECT source{0, 0, 8, 8};
        const D3DXVECTOR3 a{0, 0, 0}, b{20, 0, 0};
        ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE), S_OK);
        ASSERT_EQ(sprite->Draw(red, &source, nullptr, &a, 0xFFFFFFFF), S_OK);
        ASSERT_EQ(sprite->End(), S_OK);
        ASSERT_TRUE(render_backend_of(device)->update_texture(handle, 0, 0, 8, 8, second.data(), 8));
        ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE), S_OK);
        ASSERT_EQ(sprite->Draw(red, &source, nullptr, &b, 0xFFFFFFFF), S_OK);
        ASSERT_EQ(sprite->End(), S_OK);
        ASSERT_EQ(device_end_scene(device), S_OK);
        ASSERT_EQ(device_present(device, nullptr, nullptr, nullptr, nullptr), S_OK);
    };
    const std::vector<std::uint32_t> white(64, 0xFFFFFFFF), black(64, 0xFF000000);
    two_draws(white, black);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(kWidth * kHeight));
    EXPECT_EQ(shown[0] & 0xFFFFFF, 0xFFFFFFu) << "the draw before the change saw the new texels";
    EXPECT_EQ(shown[20] & 0xFFFFFF, 0u);
    const std::vector<std::uint32_t> skipped_picture = shown;
    set_frame_skipping(device, false);
    two_draws(white, black);
    set_frame_skipping(device, true);
    EXPECT_EQ(shown, skipped_picture);
}

TEST_F(FrameSkip, TheWindowsExposureSizeAndActivationForceARedraw) {
    const UINT messages[] = {WM_PAINT, WM_SIZE, WM_ACTIVATE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGED, WM_DISPLAYCHANGE};
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    for (UINT message : messages) {
        ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
        const unsigned long before = drawn();
        WINDOWPOS position{};
        position.hwnd = window;
        position.flags = SWP_NOSIZE | SWP_NOMOVE;
        SendMessageA(window, message, message == WM_ACTIVATE ? WA_ACTIVE : (message == WM_SHOWWINDOW ? TRUE : 0),
                     message == WM_WINDOWPOSCHANGED ? reinterpret_cast<LPARAM>(&position) : 0);
        ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
        EXPECT_EQ(drawn(), before + 1) << "message " << std::hex << message << " did not force a redraw";
        ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
        EXPECT_EQ(drawn(), before + 1) << "after message " << std::hex << message << " the redraw kept repeating";
    }
    // Any other message leaves the picture alone.
    const unsigned long before = drawn();
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(drawn(), before);
}

TEST_F(FrameSkip, ARealExposureAndResizeOfTheWindowAreDrawn) {
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    unsigned long before = drawn();
    InvalidateRect(window, nullptr, FALSE);
    pump_messages();  // WM_PAINT through the queue
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(drawn(), before + 1) << "an exposed window was not drawn again";

    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    before = drawn();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 16, outer.bottom - outer.top + 8,
                             SWP_NOMOVE | SWP_NOZORDER));
    pump_messages();
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(drawn(), before + 1) << "a resized window was not drawn again";
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                             SWP_NOMOVE | SWP_NOZORDER));
    pump_messages();
}

TEST_F(FrameSkip, AResetForcesARedrawAndTheDevicesOwnAnswersStay) {
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(device_test_cooperative_level(device), D3D_OK);
    sprite->OnLostDevice();
    ASSERT_EQ(device_reset(device, &params), S_OK);
    sprite->OnResetDevice();
    const unsigned long before = drawn();
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(drawn(), before + 1) << "the first frame after a reset was skipped";

    // Scenes nest as the system allows, skipping or not, and clears the
    // device cannot do are refused as it refuses them (no depth buffer).
    for (const bool skipping : {true, false}) {
        set_frame_skipping(device, skipping);
        EXPECT_EQ(device_end_scene(device), D3DERR_INVALIDCALL) << "skipping " << skipping;
        ASSERT_EQ(device_begin_scene(device), S_OK);
        EXPECT_EQ(device_begin_scene(device), D3DERR_INVALIDCALL) << "skipping " << skipping;
        ASSERT_EQ(device_end_scene(device), S_OK);
        EXPECT_EQ(device_clear(device, 0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
        EXPECT_EQ(device_present(device, nullptr, nullptr, nullptr, nullptr), S_OK);
    }
}

// The frame reaches the backend through the game's own frame calls: the
// device's method table is the system's whether a backend follows it or not.
TEST_F(FrameSkip, ABackendLeavesTheDevicesOwnMethodTableAsTheSystemMadeIt) {
    const void* own_table = *reinterpret_cast<void* const*>(device);
    ASSERT_EQ(frame(0xFF0000FF, 10, 10), S_OK);
    EXPECT_EQ(*reinterpret_cast<void* const*>(device), own_table);
    sprite->Release();
    sprite = nullptr;
    for (IDirect3DTexture9* t : textures) t->Release();
    textures.clear();
    release_render_backend(device);
    EXPECT_EQ(device_clear(device, 0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), S_OK);
    EXPECT_EQ(device_present(device, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(present_counts(device).drawn, 0u) << "a device without a backend is still followed";
    // A new backend follows the frames again, still without the table changed.
    ASSERT_NE(render_backend_of(device), nullptr);
    EXPECT_EQ(*reinterpret_cast<void* const*>(device), own_table);
    ASSERT_EQ(D3DXCreateSprite(device, &sprite), S_OK);
    sprite->OnResetDevice();
}

#endif  // _WIN32
