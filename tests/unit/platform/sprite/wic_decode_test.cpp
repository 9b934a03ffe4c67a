// The Windows PNG decoder (Windows only): files written by the system's own
// PNG encoder in several colour types and depths, interlaced or not, come
// back as the same 8-bit ARGB the Linux decoder gives, with "has alpha" as
// the file's format says; oversized headers are refused before decoding.

#if defined(_WIN32)

#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sprite/texture_loader.h"

namespace {

template <typename T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

std::string scratch(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(POKOMARU_BINARY_DIR) / "test_scratch" /
                                         ("wic-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

struct Encoding {
    WICPixelFormatGUID format;
    int width, height;
    std::vector<BYTE> pixels;      // rows of the format's samples, tightly packed
    std::vector<WICColor> palette = {};  // for the indexed format
    bool interlaced = false;
};

// Writes a PNG file through the system's encoder; false if the encoder
// would not take the format as it is.
bool write_png(const std::string& path, const Encoding& e) {
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    const std::wstring wide(path.begin(), path.end());
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory.p))) ||
        FAILED(factory->CreateStream(&stream.p)) ||
        FAILED(stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) ||
        FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame.p, &options.p)))
        return false;
    if (e.interlaced) {
        PROPBAG2 option{};
        option.pstrName = const_cast<LPOLESTR>(L"InterlaceOption");
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BOOL;
        value.boolVal = VARIANT_TRUE;
        if (FAILED(options->Write(1, &option, &value))) return false;
    }
    WICPixelFormatGUID format = e.format;
    if (FAILED(frame->Initialize(options.p)) || FAILED(frame->SetSize(e.width, e.height)) ||
        FAILED(frame->SetPixelFormat(&format)) || format != e.format)
        return false;
    if (!e.palette.empty()) {
        Com<IWICPalette> palette;
        if (FAILED(factory->CreatePalette(&palette.p)) ||
            FAILED(palette->InitializeCustom(const_cast<WICColor*>(e.palette.data()),
                                             static_cast<UINT>(e.palette.size()))) ||
            FAILED(frame->SetPalette(palette.p)))
            return false;
    }
    const UINT stride = static_cast<UINT>(e.pixels.size() / e.height);
    return SUCCEEDED(frame->WritePixels(e.height, stride, static_cast<UINT>(e.pixels.size()),
                                        const_cast<BYTE*>(e.pixels.data()))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

class WicDecode : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    void expect_decoded(const Encoding& e, const std::vector<std::uint32_t>& argb, bool has_alpha,
                        const char* what) {
        const std::string path = scratch(std::string(what) + ".png");
        ASSERT_TRUE(write_png(path, e)) << what << ": the system's encoder refused it";
        DecodedImage out;
        ASSERT_EQ(decode_png_file(path.c_str(), out), ImageError::None) << what;
        EXPECT_EQ(out.image.width, e.width) << what;
        EXPECT_EQ(out.image.height, e.height) << what;
        EXPECT_EQ(out.has_alpha, has_alpha) << what;
        EXPECT_EQ(out.image.texels, argb) << what;
    }
};

}  // namespace

TEST_F(WicDecode, EveryColourTypeEndsAsEightBitArgb) {
    // Two by two texels: red, green / blue, half-transparent grey.
    expect_decoded({GUID_WICPixelFormat32bppBGRA, 2, 2, {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 90, 90, 90, 128}},
                   {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x805A5A5A}, true, "rgba8");
    expect_decoded({GUID_WICPixelFormat24bppBGR, 2, 1, {0, 0, 255, 10, 20, 30}}, {0xFFFF0000, 0xFF1E140A}, false,
                   "rgb8");
    expect_decoded({GUID_WICPixelFormat8bppGray, 3, 1, {0, 128, 255}}, {0xFF000000, 0xFF808080, 0xFFFFFFFF}, false,
                   "gray8");
    // Sixteen-bit samples that are multiples of 257 scale to 8 bits exactly.
    expect_decoded({GUID_WICPixelFormat48bppRGB, 1, 1, {0x12, 0x12, 0x34, 0x34, 0x56, 0x56}}, {0xFF123456}, false,
                   "rgb16");
    expect_decoded({GUID_WICPixelFormat64bppRGBA, 1, 1, {0xAB, 0xAB, 0xCD, 0xCD, 0xEF, 0xEF, 0x40, 0x40}},
                   {0x40ABCDEF}, true, "rgba16");
}

TEST_F(WicDecode, APaletteWithTransparencyCarriesAlpha) {
    Encoding opaque{GUID_WICPixelFormat8bppIndexed, 2, 1, {0, 1}, {0xFF112233, 0xFF445566}};
    expect_decoded(opaque, {0xFF112233, 0xFF445566}, false, "palette");
    Encoding clear{GUID_WICPixelFormat8bppIndexed, 2, 1, {0, 1}, {0x00000000, 0xFF445566}};
    expect_decoded(clear, {0x00000000, 0xFF445566}, true, "palette_trns");
}

TEST_F(WicDecode, InterlacedImagesDecodeLikeOthers) {
    Encoding e{GUID_WICPixelFormat32bppBGRA, 9, 9, {}};
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < 81; ++i) {
        const BYTE b = static_cast<BYTE>(i * 3), g = static_cast<BYTE>(255 - i), r = static_cast<BYTE>(i * 2);
        e.pixels.insert(e.pixels.end(), {b, g, r, 255});
        expected.push_back(0xFF000000u | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b);
    }
    e.interlaced = true;
    expect_decoded(e, expected, true, "interlaced");
}

TEST_F(WicDecode, BadBytesFailWithTheLinuxDecodersErrors) {
    Encoding noise{GUID_WICPixelFormat32bppBGRA, 32, 32, {}};
    for (int i = 0; i < 32 * 32 * 4; ++i) noise.pixels.push_back(static_cast<BYTE>((i * 7919) >> 3));
    const std::string path = scratch("noise.png");
    ASSERT_TRUE(write_png(path, noise));
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(good.size(), 33u);
    DecodedImage out;

    EXPECT_EQ(decode_png(good.data(), good.size(), out), ImageError::None);
    EXPECT_EQ(decode_png(good.data(), 7, out), ImageError::NotPng);
    const std::uint8_t text[] = "not an image at all";
    EXPECT_EQ(decode_png(text, sizeof text, out), ImageError::NotPng);
    EXPECT_EQ(decode_png(good.data(), good.size() / 2, out), ImageError::Corrupt) << "cut inside the image data";
    EXPECT_TRUE(out.image.texels.empty()) << "nothing half-decoded is left";

    // A header claiming 9000 texels across is refused before any decoding.
    std::vector<std::uint8_t> wide = good;
    wide[16] = 0, wide[17] = 0, wide[18] = 0x23, wide[19] = 0x28;
    EXPECT_EQ(decode_png(wide.data(), wide.size(), out), ImageError::TooLarge);
    EXPECT_EQ(decode_png_file(scratch("absent.png").c_str(), out), ImageError::CannotOpen);
}

#endif  // defined(_WIN32)
