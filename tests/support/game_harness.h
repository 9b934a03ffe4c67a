// Runs the real game in this process, headless: start-up through the real
// shell on SDL's offscreen video and dummy audio drivers, a manual clock,
// window messages posted as the window system would, and a text dump of the
// game state. Used by the replay tests, the whole-game tests and the fuzzer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// Starts the game from the repository root (so game/ is found); the record
// file is redirected to a scratch folder so tests never touch the player's.
// Returns false if start-up failed.
bool start_game(unsigned seed = 1);
void stop_game();
bool game_running();

void move(int x, int y);  // client pixels
void press();
void release();
// The same made by a finger: the window system's mouse events from a touch.
void touch_move(int x, int y);
void touch_press();
void touch_release();
void escape();
void activate(bool active);
void resize(int client_width, int client_height);
void close_window();

// Runs passes of the main loop until the message queue is empty and one
// frame has run; then frames until ms of game clock have passed.
void frame();
void wait_ms(unsigned ms);

// Logical screen position to client pixels at the current window size.
int client_x(double logical_x);
int client_y(double logical_y);

// The pointer moved to a logical position, then a frame.
void point_at(double logical_x, double logical_y);
// The same, then the left button pressed and released, a frame after each.
void click_at(double logical_x, double logical_y);

std::string dump_state();

// Runs a replay script (one command a line; see replay files) and returns
// the dumps it asked for.
std::string run_script(const std::string& script, std::string* error);

// The back buffer as ARGB rows, 1024 x 768.
bool read_frame(std::vector<std::uint32_t>& pixels, int& width, int& height);

int exit_code();

// PNG files of ARGB pixels, for reference frames and screenshots.
bool save_png(const std::string& path, const std::vector<std::uint32_t>& argb, int width, int height);
bool load_png(const std::string& path, std::vector<std::uint32_t>& argb, int& width, int& height);

// The bytes of the scratch folder's game/data_save.dat (empty if none).
std::vector<unsigned char> record_file_bytes();
// Writes the scratch folder's record file.
void write_record_file(const std::vector<unsigned char>& bytes);

}  // namespace harness
