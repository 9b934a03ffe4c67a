#include "support/game_harness.h"

#include <SDL.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "state/platform_objects.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sprite/render_device.h"
#include "platform/test_hooks.h"
#include "state/game_state.h"
#include "shell/main_window.h"
#include "shell/shell_loop.h"

namespace fs = std::filesystem;

namespace harness {
namespace {

bool running = false;
int last_exit_code = -1;
fs::path scratch;
fs::path source_dir;

LPARAM pos(int x, int y) {
    return MAKELPARAM(static_cast<std::uint16_t>(x & 0xFFFF), static_cast<std::uint16_t>(y & 0xFFFF));
}
int last_x = 0, last_y = 0;

void post(UINT message, WPARAM w, LPARAM l) {
    if (main_window) PostMessageA(main_window, message, w, l);
}

}  // namespace

bool start_game(unsigned seed) {
    // Headless, unless a benchmark asks for a real X server.
    const char* video = std::getenv("POKOMARU_HARNESS_VIDEO");
    setenv("SDL_VIDEODRIVER", video && *video ? video : "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    clear_faults();
    set_message_boxes_suppressed(true);
    set_manual_clock(true, 1000);
    // The game reads and writes game/data_save.dat relative to the current
    // directory: run from a scratch folder whose game/ holds links to the
    // real data files, so the player's own record file is never touched.
    source_dir = POKOMARU_SOURCE_DIR;
    scratch = fs::temp_directory_path() / ("pokomaru-harness-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch / "game");
    for (const auto& entry : fs::directory_iterator(source_dir / "game")) {
        if (entry.path().filename() == "data_save.dat") continue;
        fs::create_symlink(entry.path(), scratch / "game" / entry.path().filename());
    }
    fs::current_path(scratch);
    game = GameState{};
    if (start_up(platform_instance()) == 0) {
        running = false;
        return false;
    }
    std::srand(seed);
    running = true;
    activate(true);
    frame();
    return true;
}

void stop_game() {
    if (running) {
        release_all(platform_instance());
        running = false;
    }
    set_manual_clock(false);
    fs::current_path(source_dir);
    std::error_code ec;
    fs::remove_all(scratch, ec);
}

bool game_running() { return running; }

void move(int x, int y) {
    last_x = x;
    last_y = y;
    post(WM_MOUSEMOVE, 0, pos(x, y));
}
void press() { post(WM_LBUTTONDOWN, MK_LBUTTON, pos(last_x, last_y)); }
void release() { post(WM_LBUTTONUP, 0, pos(last_x, last_y)); }
// SDL's own mouse events for a finger, into its queue as the window system's.
void touch_move(int x, int y) {
    last_x = x;
    last_y = y;
    if (!main_window) return;
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SDL_GetWindowID(sdl_window_of(main_window));
    e.motion.which = SDL_TOUCH_MOUSEID;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}
namespace {
void touch_button(Uint32 type) {
    if (!main_window) return;
    SDL_Event e{};
    e.type = type;
    e.button.windowID = SDL_GetWindowID(sdl_window_of(main_window));
    e.button.which = SDL_TOUCH_MOUSEID;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = last_x;
    e.button.y = last_y;
    SDL_PushEvent(&e);
}
}  // namespace
void touch_press() { touch_button(SDL_MOUSEBUTTONDOWN); }
void touch_release() { touch_button(SDL_MOUSEBUTTONUP); }
void escape() { post(WM_KEYDOWN, VK_ESCAPE, 1); }
void activate(bool active) { post(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0); }
void resize(int w, int h) {
    if (main_window) SDL_SetWindowSize(sdl_window_of(main_window), w, h);
}
void close_window() { post(WM_CLOSE, 0, 0); }

void frame() {
    if (!running) return;
    // Drain the queue one message per pass, then one frame runs.
    for (;;) {
        int code = 0;
        bool had_message = false;
        MSG peek;
        had_message = PeekMessageA(&peek, nullptr, 0, 0, 0);
        if (!run_one_pass(&code)) {
            last_exit_code = code;
            release_all(platform_instance());
            running = false;
            return;
        }
        if (!had_message) return;
    }
}

void wait_ms(unsigned ms) {
    unsigned until = manual_clock_ms() + ms;
    while (running && static_cast<int>(manual_clock_ms() - until) < 0) frame();
}

int client_x(double logical_x) { return static_cast<int>((game.window_width - 18) * logical_x / 1024); }
int client_y(double logical_y) { return static_cast<int>((game.window_height - 44) * logical_y / 768); }

void point_at(double logical_x, double logical_y) {
    move(client_x(logical_x), client_y(logical_y));
    frame();
}

void click_at(double logical_x, double logical_y) {
    point_at(logical_x, logical_y);
    press();
    frame();
    release();
    frame();
}

namespace {

void dump_label(std::ostringstream& out, const char* name, const InfoLabel& l) {
    char line[160];
    std::snprintf(line, sizeof(line), "label %s %d %.3f %.3f %.3f %.3f\n", name, l.state, l.x, l.y, l.width,
                  l.height);
    out << line;
}

void dump_set(std::ostringstream& out, const char* name, const PieceRecord* pieces, const std::int32_t* order,
              int count) {
    out << name << " order";
    for (int i = 0; i < count; ++i) out << ' ' << order[i];
    out << '\n';
    for (int i = 0; i < count; ++i) {
        char line[160];
        std::snprintf(line, sizeof(line), "%s %d %d %.3f %.3f target %.3f %.3f\n", name, i, pieces[i].state,
                      pieces[i].x, pieces[i].y, pieces[i].scatter_x, pieces[i].scatter_y);
        out << line;
    }
}

}  // namespace

std::string dump_state() {
    std::ostringstream out;
    char line[256];
    std::snprintf(line, sizeof(line),
                  "scene %d mode %d title_button %d clear_button %d drag %d active %d left %d new_record %d\n",
                  game.current_scene, game.puzzle_mode, game.title_button_state, game.clear_button_state,
                  static_cast<int>(game.drag_phase), game.active_piece, game.pieces_left, game.new_record);
    out << line;
    std::snprintf(line, sizeof(line),
                  "clocks scatter %.3f play %.3f clear_delay %.3f banner %.3f best %.3f %.3f\n",
                  game.scatter_seconds, game.play_seconds, game.clear_delay, game.banner_width,
                  game.best_seconds[0], game.best_seconds[1]);
    out << line;
    std::snprintf(line, sizeof(line), "mouse %.0f %.0f down %d consumed %d active %d window %.0f x %.0f\n",
                  game.mouse_x, game.mouse_y, game.mouse_down, game.press_consumed, game.window_active,
                  game.window_width, game.window_height);
    out << line;
    if (game.puzzle_mode == Municipality) {
        dump_label(out, "name", game.muni_name_label);
        dump_label(out, "reading", game.muni_reading_label);
        dump_label(out, "region", game.muni_region_label);
        dump_label(out, "remark", game.muni_remark_label);
        dump_set(out, "muni", game.municipality_pieces, game.municipality_order, kMunicipalityPieces);
    } else {
        dump_label(out, "name", game.mascot_name_label);
        dump_label(out, "affiliation", game.mascot_affiliation_label);
        for (int i = 0; i < kMascotLines; ++i) {
            char n[16];
            std::snprintf(n, sizeof(n), "line%d", i + 1);
            dump_label(out, n, game.mascot_line_labels[i]);
        }
        dump_set(out, "mascot", game.mascot_pieces, game.mascot_order, kMascotPieces);
    }
    return out.str();
}

std::string run_script(const std::string& script, std::string* error) {
    std::istringstream in(script);
    std::ostringstream dumps;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(number) + ": " + why;
        return dumps.str();
    };
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string command;
        if (!(words >> command) || command[0] == '#') continue;
        if (command == "move" || command == "logical") {
            double x = 0, y = 0;
            if (!(words >> x >> y)) return fail("move needs x and y");
            if (command == "logical")
                move(client_x(x), client_y(y));
            else
                move(static_cast<int>(x), static_cast<int>(y));
        } else if (command == "press") {
            press();
        } else if (command == "release") {
            release();
        } else if (command == "escape") {
            escape();
        } else if (command == "activate") {
            int on = 1;
            words >> on;
            activate(on != 0);
        } else if (command == "resize") {
            int w = 0, h = 0;
            if (!(words >> w >> h)) return fail("resize needs a width and a height");
            resize(w, h);
        } else if (command == "frame") {
            int n = 1;
            words >> n;
            for (int i = 0; i < n; ++i) frame();
        } else if (command == "wait") {
            unsigned ms = 0;
            if (!(words >> ms)) return fail("wait needs milliseconds");
            wait_ms(ms);
        } else if (command == "dump") {
            std::string label;
            std::getline(words, label);
            dumps << "== dump" << label << '\n' << dump_state();
        } else if (command == "close") {
            close_window();
            frame();
        } else {
            return fail("unknown command '" + command + "'");
        }
    }
    if (error) error->clear();
    return dumps.str();
}

bool read_frame(std::vector<std::uint32_t>& pixels, int& width, int& height) {
    return device && read_back_buffer(device, pixels, width, height);
}

int exit_code() { return last_exit_code; }

std::vector<unsigned char> record_file_bytes() {
    std::vector<unsigned char> bytes;
    std::FILE* f = std::fopen((scratch / "game" / "data_save.dat").c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return bytes;
}

void write_record_file(const std::vector<unsigned char>& bytes) {
    std::FILE* f = std::fopen((scratch / "game" / "data_save.dat").c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace harness

namespace harness {

bool save_png(const std::string& path, const std::vector<std::uint32_t>& argb, int width, int height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;  // ARGB words in little-endian memory
    return png_image_write_to_file(&image, path.c_str(), 0, argb.data(), 0, nullptr) != 0;
}

bool load_png(const std::string& path, std::vector<std::uint32_t>& argb, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGRA;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    argb.assign(static_cast<std::size_t>(width) * height, 0);
    if (!png_image_finish_read(&image, nullptr, argb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace harness
