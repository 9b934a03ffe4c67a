// What the browser's presenter tells the page's tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

// Pictures that reached the canvas since the page opened.
unsigned long web_presents_shown();
// Whether presents wait undrawn for the canvas to take the picture before
// them (the back buffer is then that picture, not the frame presented last).
bool web_drawing_owed();

// The canvas's drawing buffer with the back buffer shown on it now: ARGB
// rows from the top, its size in width and height. False without a device.
// Only tests ask for it; the game's program leaves it out.
bool web_read_canvas(std::vector<std::uint32_t>& argb, int& width, int& height);
