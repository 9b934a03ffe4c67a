// Every catalogue text fits the box the info panel gives it, measured with
// the game's own fonts (the faces, heights and weights the game creates)
// through DrawTextA with DT_CALCRECT on a real device over an offscreen
// window:
//   - a municipality's region and remark, in Mincho 16, within 300 pixels;
//   - a mascot's affiliation within 300 and each description line within
//     256, in Mincho 16;
//   - a name in Meiryo 64 from x 8 and a reading in Meiryo 32 from x 12 stay
//     left of the counters, which start at x 632;
//   - population and area, in Gothic 16, within their 100-pixel boxes.
// The rows that do not fit are listed by index and name.
//
// Waits in tests/pending until the font layer is in the tree; it then
// belongs in a unit test folder, run with SDL_VIDEODRIVER=offscreen.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "content/catalogue.h"
#include "platform/graphics.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sjis.h"
#include "platform/sprite/d3dx.h"
#include "ui_text.h"

namespace {

constexpr int kPanelRight = 632;      // where the counters begin
constexpr int kLineBox = 300;         // region, remark, affiliation
constexpr int kDescriptionBox = 256;  // a mascot's description line
constexpr int kNumberBox = 100;       // population and area

class ContentFit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        host_.sdl = SDL_CreateWindow("content fit", 0, 0, 1024, 768, SDL_WINDOW_HIDDEN);
        ASSERT_NE(host_.sdl, nullptr) << SDL_GetError();

        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferFormat = D3DFMT_UNKNOWN;
        params.BackBufferCount = 1;
        params.MultiSampleType = D3DMULTISAMPLE_NONE;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = &window_;
        params.Windowed = 1;
        params.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        HRESULT hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &window_,
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device_);
        if (FAILED(hr))
            hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, &window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &params, &device_);
        ASSERT_TRUE(SUCCEEDED(hr)) << "no device";
        ASSERT_TRUE(SUCCEEDED(D3DXCreateSprite(device_, &sprite_)));

        mincho_16_ = make_font(16, 400, ui_text::kFaceMincho);
        gothic_16_ = make_font(16, 400, ui_text::kFaceGothic);
        meiryo_64_ = make_font(64, 400, ui_text::kFaceMeiryo);
        meiryo_32_ = make_font(32, 400, ui_text::kFaceMeiryo);
        ASSERT_TRUE(mincho_16_ && gothic_16_ && meiryo_64_ && meiryo_32_);
        fill_catalogue();
    }

    void TearDown() override {
        for (ID3DXFont* font : {mincho_16_, gothic_16_, meiryo_64_, meiryo_32_})
            if (font) font->Release();
        if (sprite_) sprite_->Release();
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
        if (host_.sdl) SDL_DestroyWindow(host_.sdl);
        SDL_Quit();
    }

    ID3DXFont* make_font(int height, UINT weight, const char* face) {
        ID3DXFont* font = nullptr;
        HRESULT hr = D3DXCreateFontA(device_, height, 0, weight, 1, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face, &font);
        return SUCCEEDED(hr) ? font : nullptr;
    }

    // The width a text takes on one line, as the font itself lays it out.
    int width(ID3DXFont* font, const char* text) {
        RECT rect{0, 0, 0, 0};
        font->DrawTextA(sprite_, text, -1, &rect, DT_CALCRECT, 0xFF000000);
        return rect.right - rect.left;
    }

    // Records a row that does not fit; the test fails once, with every such row.
    void check(bool fits, int index, const char* name, const char* what, const char* text, int measured, int limit) {
        if (fits) return;
        overflows_ += "  " + std::to_string(index) + " " + cp932_to_utf8(name) + ": " + what + " \"" +
                      cp932_to_utf8(text) + "\" is " + std::to_string(measured) + " px, limit " +
                      std::to_string(limit) + "\n";
    }

    HostWindow host_;
    PlatformWindow window_{&host_};
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXSprite* sprite_ = nullptr;
    ID3DXFont *mincho_16_ = nullptr, *gothic_16_ = nullptr, *meiryo_64_ = nullptr, *meiryo_32_ = nullptr;
    std::string overflows_;
};

TEST_F(ContentFit, MunicipalityTextsFitTheInfoPanel) {
    for (int i = 0; i < kMunicipalityCount; ++i) {
        const MunicipalityEntry& e = municipality_entries[i];
        int w = width(mincho_16_, e.region);
        check(w <= kLineBox, i, e.name, "region", e.region, w, kLineBox);
        w = width(mincho_16_, e.remark);
        check(w <= kLineBox, i, e.name, "remark", e.remark, w, kLineBox);
        w = width(meiryo_64_, e.name);
        check(8 + w <= kPanelRight, i, e.name, "name", e.name, 8 + w, kPanelRight);
        w = width(meiryo_32_, e.reading);
        check(12 + w <= kPanelRight, i, e.name, "reading", e.reading, 12 + w, kPanelRight);
        w = width(gothic_16_, e.population);
        check(w <= kNumberBox, i, e.name, "population", e.population, w, kNumberBox);
        w = width(gothic_16_, e.area);
        check(w <= kNumberBox, i, e.name, "area", e.area, w, kNumberBox);
    }
    EXPECT_TRUE(overflows_.empty()) << "texts wider than their boxes:\n" << overflows_;
}

TEST_F(ContentFit, MascotTextsFitTheInfoPanel) {
    for (int i = 0; i < kMascotCount; ++i) {
        const MascotEntry& e = mascot_entries[i];
        int w = width(mincho_16_, e.affiliation);
        check(w <= kLineBox, i, e.name, "affiliation", e.affiliation, w, kLineBox);
        for (int k = 0; k < kMascotLines; ++k) {
            w = width(mincho_16_, e.description[k]);
            check(w <= kDescriptionBox, i, e.name, "description line", e.description[k], w, kDescriptionBox);
        }
        w = width(meiryo_64_, e.name);
        check(8 + w <= kPanelRight, i, e.name, "name", e.name, 8 + w, kPanelRight);
    }
    EXPECT_TRUE(overflows_.empty()) << "texts wider than their boxes:\n" << overflows_;
}

// The measurement itself must mean something: a longer text is wider, and a
// full-width character at 16 pixels is about 16 pixels wide.
TEST_F(ContentFit, MeasurementGrowsWithTheText) {
    const int one = width(mincho_16_, ui_text::kDigit1);
    EXPECT_GE(one, 8);
    EXPECT_LE(one, 17);
    EXPECT_GT(width(mincho_16_, ui_text::kInitFailedApplication), 10 * one);
    EXPECT_GT(width(meiryo_64_, ui_text::kDigit1), 2 * one);
}

}  // namespace
