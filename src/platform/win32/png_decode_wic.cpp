// PNG decoding on Windows through the Windows Imaging Component: the file's
// bytes are read by the system's PNG decoder and converted to 32-bit BGRA,
// which is our 0xAARRGGBB. The sizing, colour key and mip chain that follow
// are the shared loader's. Errors are those of the Linux decoder.

#include <wincodec.h>
#include <windows.h>

#include <cstring>
#include <new>

#include "platform/sprite/texture_loader.h"

namespace {

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** out() { return &p_; }
    T* get() const { return p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

// COM for this thread for as long as the decoding lasts, unless the thread
// already has it (then it is left as it is).
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Whether the image carries alpha, read from the chunks as the Linux
// decoder judges it: an alpha channel in the colour type, or a tRNS chunk
// (which must come before the image data).
bool file_has_alpha(const std::uint8_t* data, std::size_t size) {
    if (size < 33) return false;
    const std::uint8_t colour_type = data[25];
    if (colour_type & 4) return true;
    std::size_t at = 8;
    while (at + 8 <= size) {
        const std::uint32_t length = be32(data + at);
        const std::uint8_t* type = data + at + 4;
        if (std::memcmp(type, "tRNS", 4) == 0) return true;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return false;
        if (length > size - at - 8) return false;
        at += std::size_t{length} + 12;
    }
    return false;
}

}  // namespace

ImageError decode_png(const std::uint8_t* data, std::size_t size, DecodedImage& out) {
    out = DecodedImage{};
    if (!data || size < 8 || std::memcmp(data, kSignature, 8) != 0) return ImageError::NotPng;
    if (size < 33 || std::memcmp(data + 12, "IHDR", 4) != 0) return ImageError::Corrupt;
    // The header's size is judged before the system allocates for it.
    const std::uint32_t header_width = be32(data + 16), header_height = be32(data + 20);
    if (header_width > static_cast<std::uint32_t>(max_image_side) ||
        header_height > static_cast<std::uint32_t>(max_image_side) ||
        static_cast<std::size_t>(header_width) * header_height > max_image_texels)
        return ImageError::TooLarge;
    if (size > 0xFFFFFFFFu) return ImageError::TooLarge;

    ComScope com;
    if (!com.usable()) return ImageError::OutOfMemory;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.out()))))
        return ImageError::OutOfMemory;
    ComRef<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
        return ImageError::OutOfMemory;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.out())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
        return ImageError::Corrupt;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.out()))) return ImageError::Corrupt;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0) return ImageError::Corrupt;
    if (width > static_cast<UINT>(max_image_side) || height > static_cast<UINT>(max_image_side) ||
        static_cast<std::size_t>(width) * height > max_image_texels)
        return ImageError::TooLarge;

    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return ImageError::Corrupt;

    ArgbImage& image = out.image;
    try {
        image.texels.assign(static_cast<std::size_t>(width) * height, 0);
    } catch (const std::bad_alloc&) {
        out = DecodedImage{};
        return ImageError::OutOfMemory;
    }
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(image.texels.data())))) {
        out = DecodedImage{};
        return ImageError::Corrupt;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    out.has_alpha = file_has_alpha(data, size);
    if (!out.has_alpha)
        for (std::uint32_t& t : image.texels) t |= 0xFF000000u;
    return ImageError::None;
}
