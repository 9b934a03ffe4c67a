// The null backend's graphics, glyphs and decoder (host_graphics.h,
// sprite/glyph_source.h, decode_png). Not implemented, on purpose: there is
// no graphics, so Direct3DCreate9 fails as on a machine without any, no
// face has glyphs and no picture decodes. The scene tests draw through
// recording fakes of the sprite batch and the fonts instead.
#include "platform/hosted/host_graphics.h"
#include "platform/sprite/glyph_source.h"
#include "platform/sprite/texture_loader.h"

bool host_graphics_start() { return false; }

HostPresenter* host_create_presenter(HWND, HostRenderer, HRESULT* why) {
    if (why) *why = D3DERR_NOTAVAILABLE;
    return nullptr;
}

HRESULT create_glyph_source(int, UINT, const char*, std::unique_ptr<GlyphSource>& out) {
    out.reset();
    return E_FAIL;
}

ImageError decode_png(const std::uint8_t*, std::size_t, DecodedImage&) { return ImageError::Corrupt; }
