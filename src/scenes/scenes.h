// The entry points of the game scenes: the per-frame update, the scene
// updates it dispatches to, the board reset and the frame's scene layers.
#pragma once

// Once per frame (when the main loop's gate lets it): measures the window,
// then runs the current scene's update unless the window is inactive.
void update_frame();

void update_title();
void update_scatter();
void update_play();
void update_clear();

// Every piece of both sets back home and loose, orders reset, labels hidden.
void reset_board();
void setup_new_game();
void clamp_pieces();

// The hit test of every button: whether the pointer lies in the logical
// rectangle (x0, y0)-(x1, y1), edges included.
bool pointer_in_logical_rect(double x0, double y0, double x1, double y1);

// The layers of the current scene, drawn between the sprite batch's Begin
// and End: background, buttons, pieces, texts.
void draw_scene_layers();
// Both piece sets, the mascot home slots and the hint button.
void draw_pieces();
// Play only: the readout of the client size, drawn under the pieces...
void draw_window_size_readout();
// ...and over them the info panel, the pieces-left count and the clock.
void draw_play_hud();
