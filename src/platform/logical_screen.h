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
