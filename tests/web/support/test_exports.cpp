// What the browser tests read of the running game, linked only into the
// test build of the page (pokomaru-jigsaw-test): the game's state as JSON
// and the back buffer as it stands. The tests drive the game only through
// the page's own events.
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "state/platform_objects.h"
#include "platform/sprite/render_device.h"
#include "platform/web/presenter_web.h"
#include "state/game_state.h"
#include "scenes/piece_set.h"

namespace {

void append(std::string& out, const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* pokomaru_test_state() {
    static std::string out;
    out = "{";
    append(out, "\"scene\":%.0f", game.current_scene);
    append(out, ",\"mode\":%.0f", game.puzzle_mode);
    append(out, ",\"mouse_x\":%.17g", game.mouse_x);
    append(out, ",\"mouse_y\":%.17g", game.mouse_y);
    append(out, ",\"mouse_down\":%.0f", game.mouse_down);
    append(out, ",\"window_active\":%.0f", game.window_active);
    append(out, ",\"window_width\":%.17g", game.window_width);
    append(out, ",\"window_height\":%.17g", game.window_height);
    append(out, ",\"title_button_state\":%.0f", game.title_button_state);
    append(out, ",\"pieces_left\":%.0f", game.pieces_left);
    append(out, ",\"play_seconds\":%.17g", game.play_seconds);
    append(out, ",\"active_piece\":%.0f", game.active_piece);
    append(out, ",\"drag_phase\":%.0f", static_cast<double>(game.drag_phase));
    append(out, ",\"new_record\":%.0f", game.new_record);
    append(out, ",\"best\":[%.17g", game.best_seconds[0]);
    append(out, ",%.17g]", game.best_seconds[1]);
    const PieceSet set = current_piece_set();
    out += ",\"pieces\":[";
    for (int i = 0; i < set.count; ++i) {
        const PieceRecord& p = set.pieces[i];
        if (i) out += ",";
        append(out, "{\"state\":%.0f", p.state);
        append(out, ",\"x\":%.17g", p.x);
        append(out, ",\"y\":%.17g", p.y);
        append(out, ",\"home_x\":%.17g", p.home_x);
        append(out, ",\"home_y\":%.17g", p.home_y);
        append(out, ",\"width\":%.17g", p.width);
        append(out, ",\"height\":%.17g}", p.height);
    }
    out += "],\"order\":[";
    for (int i = 0; i < set.count; ++i) {
        if (i) out += ",";
        append(out, "%.0f", set.order[i]);
    }
    out += "]}";
    return out.c_str();
}

// Presents that reached the canvas.
EMSCRIPTEN_KEEPALIVE unsigned long pokomaru_test_presents_shown() { return web_presents_shown(); }

// The back buffer, 1024 x 768 ARGB words, or null.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* pokomaru_test_back_buffer() {
    static std::vector<std::uint32_t> argb;
    int width = 0, height = 0;
    if (!device || !read_back_buffer(device, argb, width, height)) return nullptr;
    return argb.data();
}
}
