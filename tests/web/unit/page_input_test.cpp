// The page's events as window messages, run under node: the pointer mapped
// through the canvas, one finger as the mouse with its press a few frames
// after its position, a second finger ignored, activation from focus and
// visibility.
#include <cstdio>
#include <vector>

#include "platform/web/page_input.h"

namespace {

int failures = 0;

#define CHECK(condition)                                                           \
    do {                                                                           \
        if (!(condition)) {                                                        \
            std::printf("%s:%d: CHECK failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                            \
        }                                                                          \
    } while (0)

int x_of(LPARAM l) { return static_cast<int>(l & 0xFFFF); }
int y_of(LPARAM l) { return static_cast<int>((l >> 16) & 0xFFFF); }

// What the main loop sees: each pass takes one message; a pass without one
// runs a frame. Returns the messages with -1 standing for a frame.
std::vector<int> run_passes(PageInput& input, int passes, std::vector<PageMessage>* taken = nullptr) {
    std::vector<int> seen;
    for (int i = 0; i < passes; ++i) {
        PageMessage m{};
        if (input.take(m)) {
            seen.push_back(static_cast<int>(m.message));
            if (taken) taken->push_back(m);
        } else {
            seen.push_back(-1);
        }
    }
    return seen;
}

void pointer_mapping() {
    // A canvas shown at 800 x 600 CSS pixels is an 800 x 600 client area.
    ClientPoint p = map_to_client(400.5, 299.9, 800, 600);
    CHECK(p.inside && p.x == 400 && p.y == 299);
    CHECK(!map_to_client(800, 10, 800, 600).inside);
    CHECK(!map_to_client(-0.5, 10, 800, 600).inside);
    // A fractional canvas size rounds; the far edge maps inside it.
    int w = 0, h = 0;
    client_size_of(853.33, 640, w, h);
    CHECK(w == 853 && h == 640);
    p = map_to_client(853.2, 639.9, 853.33, 640);
    CHECK(p.inside && p.x == 852 && p.y == 639);
    // No canvas on the page: nothing is inside.
    CHECK(!map_to_client(1, 1, 0, 0).inside);
}

void mouse_messages_in_order() {
    PageInput input;
    input.mouse_move(map_to_client(10, 20, 1024, 768), false);
    input.mouse_down(map_to_client(10, 20, 1024, 768));
    input.mouse_move(map_to_client(-5, 20, 1024, 768), true);  // outside: not the game's
    input.mouse_up(map_to_client(2000, 20, 1024, 768));        // released outside: not seen
    std::vector<PageMessage> taken;
    const std::vector<int> seen = run_passes(input, 3, &taken);
    CHECK((seen == std::vector<int>{WM_MOUSEMOVE, WM_LBUTTONDOWN, -1}));
    CHECK(x_of(taken[0].lparam) == 10 && y_of(taken[0].lparam) == 20);
}

void finger_position_before_press() {
    PageInput input;
    input.focus(true);
    run_passes(input, 2);
    input.touch_start(7, map_to_client(300, 200, 1024, 768));
    input.touch_move(7, map_to_client(310, 205, 1024, 768));
    std::vector<PageMessage> taken;
    std::vector<int> seen = run_passes(input, 2 + PageInput::kFramesBeforePress + 2, &taken);
    // The position, then frames, then the press and the moves after it.
    std::vector<int> expected{WM_MOUSEMOVE};
    for (int i = 0; i < PageInput::kFramesBeforePress; ++i) expected.push_back(-1);
    expected.push_back(WM_LBUTTONDOWN);
    expected.push_back(WM_MOUSEMOVE);
    expected.push_back(-1);
    CHECK(seen == expected);
    CHECK(x_of(taken[0].lparam) == 300 && y_of(taken[2].lparam) == 205);
    CHECK(taken[2].wparam == MK_LBUTTON);
    // A second finger neither moves nor presses.
    input.touch_start(8, map_to_client(900, 700, 1024, 768));
    input.touch_move(8, map_to_client(905, 700, 1024, 768));
    input.touch_end(8, map_to_client(905, 700, 1024, 768));
    CHECK((run_passes(input, 3) == std::vector<int>{-1, -1, -1}));
    // Lifting, even outside the canvas, lets go a few frames later.
    input.touch_end(7, map_to_client(-40, 205, 1024, 768));
    seen = run_passes(input, PageInput::kFramesBeforeRelease + 2);
    CHECK(seen[PageInput::kFramesBeforeRelease] == WM_LBUTTONUP);
    CHECK(!input.finger_down());
}

void quick_tap_is_pressed_then_released() {
    PageInput input;
    input.focus(true);
    run_passes(input, 2);
    input.touch_start(1, map_to_client(50, 50, 1024, 768));
    input.touch_end(1, map_to_client(50, 50, 1024, 768));
    const std::vector<int> seen = run_passes(input, 12);
    int down = -1, up = -1;
    for (int i = 0; i < static_cast<int>(seen.size()); ++i) {
        if (seen[i] == WM_LBUTTONDOWN) down = i;
        if (seen[i] == WM_LBUTTONUP) up = i;
    }
    CHECK(down > 0 && up > down + PageInput::kFramesBeforeRelease);
    // While the finger is down the mouse is not heard.
    input.touch_start(2, map_to_client(50, 50, 1024, 768));
    input.mouse_move(map_to_client(60, 60, 1024, 768), false);
    std::vector<PageMessage> taken;
    run_passes(input, 10, &taken);
    for (const PageMessage& m : taken) CHECK(m.message != WM_MOUSEMOVE || x_of(m.lparam) == 50);
}

void activation() {
    PageInput input;
    input.focus(true);
    input.visibility(false);
    input.focus(false);  // already inactive: nothing new
    input.visibility(true);
    input.focus(true);
    std::vector<PageMessage> taken;
    run_passes(input, 4, &taken);
    CHECK(taken.size() == 3);
    CHECK(taken[0].message == WM_ACTIVATE && taken[0].wparam == WA_ACTIVE);
    CHECK(taken[1].wparam == WA_INACTIVE);
    CHECK(taken[2].wparam == WA_ACTIVE);
    CHECK(input.active());
}

}  // namespace

int main() {
    pointer_mapping();
    mouse_messages_in_order();
    finger_position_before_press();
    quick_tap_is_pressed_then_released();
    activation();
    std::printf("page input: %s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
