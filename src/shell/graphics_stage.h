// Start-up of the drawing objects, the frame around every drawing, and
// their release at shutdown.
#pragma once

#include "state/platform_objects.h"

// Creates the drawing objects in their fixed order; 0 on success, negative on
// the first failure (what was made stays for release_all).
HRESULT init_graphics();

// Draws and presents one frame: clear, begin, the scene layers, end, present.
void draw_frame();

// Releases the graphics objects in their fixed order; each is set to null.
void release_graphics();
