// What the browser tests read of the running game, linked only into the
// test build of the page (pokomaru-jigsaw-test): the game's state as JSON,
// the back buffer as it stands, the canvas as it shows it, the quads of
// the frame shown last, and the frame check (presents compared with a
// full drawing of their frame). The tests drive the game only through the
// page's own events.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/hosted/device_hooks.h"
#include "platform/hosted/device_hosted.h"
#include "state/platform_objects.h"
#include "platform/sprite/render_device.h"
#include "platform/web/presenter_web.h"
#include "state/game_state.h"
#include "scenes/piece_set.h"
#include "support/frame_check.h"

namespace {

void append(std::string& out, const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

// The frame check: every n-th drawn present from its start on.
struct FrameSampling {
    FrameChecker checker;
    unsigned long every = 1, drawn = 0;
    unsigned long compared_in_part = 0;  // compared presents that were drawn only where they changed
    HostedPresentCounts counts_before;
};
FrameSampling sampling;

// The canvas as read last.
std::vector<std::uint32_t> canvas_pixels;
int canvas_width = 0, canvas_height = 0;

}  // namespace

extern "C" {

void pokomaru_test_expose_images();  // tests/web/support/library_test.js

// Puts the page library's ways of decoding images on the module, as
// pokomaruImages.
EMSCRIPTEN_KEEPALIVE void pokomaru_test_images() { pokomaru_test_expose_images(); }

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
    append(out, ",\"window_scale\":%.17g", game.window_scale);
    append(out, ",\"pointer_is_touch\":%.0f", game.pointer_is_touch);
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

// Whether presents wait undrawn for the browser's next frame; the back
// buffer then holds the picture before them.
EMSCRIPTEN_KEEPALIVE int pokomaru_test_drawing_owed() { return web_drawing_owed() ? 1 : 0; }

// From now on, every n-th present that is drawn is compared, pixel for
// pixel, with a full plain drawing of its frame. False before the device.
EMSCRIPTEN_KEEPALIVE int pokomaru_test_check_frames(int every) {
    if (!device || !hosted_device(device) || every < 1) return 0;
    sampling = FrameSampling{};
    sampling.every = static_cast<unsigned long>(every);
    sampling.counts_before = hosted_present_counts(device);
    set_after_present(device, [](const HostedPresentedFrame& p) {
        // A present left undrawn, waiting for the canvas, is compared
        // with the drawing that catches up with it.
        if (p.skipped || web_drawing_owed() || ++sampling.drawn % sampling.every != 0) return;
        if (sampling.checker.compare(p) && p.drawn.in_part) ++sampling.compared_in_part;
    });
    return 1;
}

// What the frame check found, as JSON, with the presents drawn since it
// started and how many of them were drawn only where they changed.
EMSCRIPTEN_KEEPALIVE const char* pokomaru_test_frame_check() {
    static std::string out;
    const FrameCheck& c = sampling.checker.check();
    const HostedPresentCounts now = device ? hosted_present_counts(device) : HostedPresentCounts{};
    out = "{";
    append(out, "\"compared\":%.0f", c.frames);
    append(out, ",\"compared_in_part\":%.0f", sampling.compared_in_part);
    append(out, ",\"unchecked\":%.0f", c.unchecked);
    append(out, ",\"differing\":%.0f", c.differing_frames);
    append(out, ",\"first_frame\":%.0f", c.first_frame);
    append(out, ",\"first_x\":%.0f", c.first_x);
    append(out, ",\"first_y\":%.0f", c.first_y);
    append(out, ",\"full\":%.0f", c.full);
    append(out, ",\"shown\":%.0f", c.shown);
    append(out, ",\"drawn\":%.0f", now.drawn - sampling.counts_before.drawn);
    append(out, ",\"in_part\":%.0f", now.in_part - sampling.counts_before.in_part);
    append(out, ",\"skipped\":%.0f", now.skipped - sampling.counts_before.skipped);
    out += "}";
    return out.c_str();
}

// Turns drawing by parts on (1) or off (0), for benchmarks to compare; the
// next present is drawn in full. False before the device.
EMSCRIPTEN_KEEPALIVE int pokomaru_test_draw_by_parts(int on) {
    if (!device || !hosted_device(device)) return 0;
    FrameDrawingOptions options = frame_drawing(device);
    options.damage_redraw = on != 0;
    set_frame_drawing(device, options);
    return 1;
}

// Drops what a lost WebGL context drops; the game resets the device as
// after a real loss. False before the device.
EMSCRIPTEN_KEEPALIVE int pokomaru_test_lose_device() {
    if (!device || !hosted_device(device)) return 0;
    simulate_device_loss(device);
    return 1;
}

// Presents that reached the canvas.
EMSCRIPTEN_KEEPALIVE unsigned long pokomaru_test_presents_shown() { return web_presents_shown(); }

// The quads of the frame presented last, in drawing order, as JSON: each
// [texture, x0, y0, x1, y1, u0, v0, u1, v1, colour], its corners' bounding
// box in back-buffer pixels and in texture coordinates, and its colour
// (ARGB); texture 1 is the atlas, 0 any other (the glyph pages). Null
// before the first present.
EMSCRIPTEN_KEEPALIVE const char* pokomaru_test_frame_quads() {
    static std::string out;
    HostedDevice* hosted = device ? hosted_device(device) : nullptr;
    const RecordedFrame* frame = hosted ? hosted->recorder().presented() : nullptr;
    if (!frame) return nullptr;
    int width = 0, height = 0;
    const BackendTexture atlas = atlas_texture ? backend_texture_of(atlas_texture, width, height) : 0;
    out = "[";
    bool first = true;
    for (const FrameCommand& c : frame->commands) {
        if (c.kind != FrameCommand::Triangles) continue;
        for (int i = 0; i + 6 <= c.index_count; i += 6) {
            float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f, u0 = 1e9f, v0 = 1e9f, u1 = -1e9f, v1 = -1e9f;
            std::uint32_t colour = 0;
            for (int k = 0; k < 6; ++k) {
                const SpriteVertex& v = frame->vertices[c.first_vertex + frame->indices[c.first_index + i + k]];
                x0 = std::min(x0, v.x), y0 = std::min(y0, v.y), x1 = std::max(x1, v.x), y1 = std::max(y1, v.y);
                u0 = std::min(u0, v.u), v0 = std::min(v0, v.v), u1 = std::max(u1, v.u), v1 = std::max(v1, v.v);
                colour = v.colour;
            }
            char buffer[256];
            std::snprintf(buffer, sizeof buffer, "%s[%d,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%u]", first ? "" : ",",
                          c.texture == atlas ? 1 : 0, x0 + c.view.x, y0 + c.view.y, x1 + c.view.x, y1 + c.view.y, u0, v0,
                          u1, v1, colour);
            out += buffer;
            first = false;
        }
    }
    out += "]";
    return out.c_str();
}

// The canvas as the back buffer is shown on it now, ARGB words of
// pokomaru_test_canvas_width() x pokomaru_test_canvas_height(), or null.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* pokomaru_test_canvas() {
    if (!web_read_canvas(canvas_pixels, canvas_width, canvas_height)) return nullptr;
    return canvas_pixels.data();
}
EMSCRIPTEN_KEEPALIVE int pokomaru_test_canvas_width() { return canvas_width; }
EMSCRIPTEN_KEEPALIVE int pokomaru_test_canvas_height() { return canvas_height; }

// The back buffer, 1024 x 768 ARGB words, or null.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* pokomaru_test_back_buffer() {
    static std::vector<std::uint32_t> argb;
    int width = 0, height = 0;
    if (!device || !read_back_buffer(device, argb, width, height)) return nullptr;
    return argb.data();
}
}
