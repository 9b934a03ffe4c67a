// What a font made by D3DXCreateFontA turned out to be on this machine:
// the installed face its Windows face name led to and its metrics. For
// tests and diagnostics; the game only draws with its fonts.
#pragma once

#include <string>

#include "platform/sprite/d3dx.h"

struct FontDescription {
    std::string family;   // the installed family used, e.g. "IPAGothic"
    std::string file;     // its file, where the platform says
    int height = 0;       // cell height in pixels: one line of text
    int ascent = 0;       // baseline below the line's top
    bool bold = false;
    bool synthetic_bold = false;  // no bold face installed: outlines are emboldened
};

bool describe_font(ID3DXFont* font, FontDescription& out);
