// The drawing objects the label code draws through. The graphics layer
// defines them for the game; these weak stand-ins only fill the gap when
// that layer is not linked into the test, and give way to it otherwise.

#include "platform/graphics_objects.h"

#if defined(__GNUC__)
__attribute__((weak)) ID3DXSprite* sprite = nullptr;
__attribute__((weak)) ID3DXFont* font_gothic_16_bold = nullptr;
#endif
