// The game's logical screen and the window frame it counts around it. Every
// position of the game is given in the 1024 x 768 logical screen, the client
// size the window is made with and the size of the back buffer; the pointer is
// mapped with a fixed frame allowance of 18 pixels across and 44 down, taken
// off the measured outer window size whatever the window system draws.
#pragma once

constexpr int kLogicalWidth = 1024;
constexpr int kLogicalHeight = 768;
constexpr int kFrameAllowanceWidth = 18;
constexpr int kFrameAllowanceHeight = 44;

// How large a logical pixel is in a client area of this size: the smaller
// of the two axes' scales, 0 for an area of no size.
inline double logical_scale_of(double client_width, double client_height) {
    if (!(client_width > 0) || !(client_height > 0)) return 0;
    const double across = client_width / kLogicalWidth, down = client_height / kLogicalHeight;
    return across < down ? across : down;
}
