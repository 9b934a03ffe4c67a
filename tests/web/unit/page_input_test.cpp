// The page's events as the hosted layer's events, run under node: the pointer mapped
// through the canvas, one finger as the mouse with its press a few frames
// after its position, a second finger ignored, activation from focus,
// visibility and a press.
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

constexpr int kFrame = -1;
constexpr int kMove = static_cast<int>(HostEventKind::PointerMove);
constexpr int kDown = static_cast<int>(HostEventKind::LeftDown);
constexpr int kUp = static_cast<int>(HostEventKind::LeftUp);
constexpr int kActivated = static_cast<int>(HostEventKind::Activated);

// What the main loop sees through the hosted layer: each pass takes one
// event; a pass without one runs a frame, the boundary the hosted layer
// reports. Returns the events' kinds with kFrame standing for a frame.
std::vector<int> run_passes(PageInput& input, int passes, std::vector<HostEvent>* taken = nullptr) {
    std::vector<int> seen;
    for (int i = 0; i < passes; ++i) {
        HostEvent e{};
        if (input.next(e)) {
            seen.push_back(static_cast<int>(e.kind));
            if (taken) taken->push_back(e);
        } else {
            input.frame_ran();
            seen.push_back(kFrame);
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
    std::vector<HostEvent> taken;
    // The page never had the focus: the press makes the game active first.
    const std::vector<int> seen = run_passes(input, 4, &taken);
    CHECK((seen == std::vector<int>{kMove, kActivated, kDown, kFrame}));
    CHECK(taken[0].x == 10 && taken[0].y == 20);
    CHECK(!taken[0].touch && !taken[2].touch);
    CHECK(input.active());
    // Pressed again while active: the press alone.
    input.mouse_up(map_to_client(10, 20, 1024, 768));
    input.mouse_down(map_to_client(10, 20, 1024, 768));
    CHECK((run_passes(input, 3) == std::vector<int>{kUp, kDown, kFrame}));
}

void finger_position_before_press() {
    PageInput input;
    input.focus(true);
    run_passes(input, 2);
    input.touch_start(7, map_to_client(300, 200, 1024, 768));
    input.touch_move(7, map_to_client(310, 205, 1024, 768));
    std::vector<HostEvent> taken;
    std::vector<int> seen = run_passes(input, 2 + PageInput::kFramesBeforePress + 2, &taken);
    // The position, then frames, then the press and the moves after it.
    std::vector<int> expected{kMove};
    for (int i = 0; i < PageInput::kFramesBeforePress; ++i) expected.push_back(kFrame);
    expected.push_back(kDown);
    expected.push_back(kMove);
    expected.push_back(kFrame);
    CHECK(seen == expected);
    CHECK(taken[0].x == 300 && taken[2].y == 205);
    CHECK(taken[2].left_held);
    // Every event of the finger says so.
    CHECK(taken[0].touch && taken[1].touch && taken[2].touch);
    // A second finger neither moves nor presses.
    input.touch_start(8, map_to_client(900, 700, 1024, 768));
    input.touch_move(8, map_to_client(905, 700, 1024, 768));
    input.touch_end(8, map_to_client(905, 700, 1024, 768));
    CHECK((run_passes(input, 3) == std::vector<int>{kFrame, kFrame, kFrame}));
    // Lifting, even outside the canvas, lets go a few frames later.
    input.touch_end(7, map_to_client(-40, 205, 1024, 768));
    taken.clear();
    seen = run_passes(input, PageInput::kFramesBeforeRelease + 2, &taken);
    CHECK(seen[PageInput::kFramesBeforeRelease] == kUp);
    CHECK(taken.size() == 1 && taken[0].touch);
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
        if (seen[i] == kDown) down = i;
        if (seen[i] == kUp) up = i;
    }
    CHECK(down > 0 && up > down + PageInput::kFramesBeforeRelease);
    // While the finger is down the mouse is not heard.
    input.touch_start(2, map_to_client(50, 50, 1024, 768));
    input.mouse_move(map_to_client(60, 60, 1024, 768), false);
    std::vector<HostEvent> taken;
    run_passes(input, 10, &taken);
    for (const HostEvent& e : taken) CHECK(e.kind != HostEventKind::PointerMove || e.x == 50);
}

void activation() {
    PageInput input;
    input.focus(true);
    input.visibility(false);
    input.focus(false);  // already inactive: nothing new
    input.visibility(true);
    input.focus(true);
    std::vector<HostEvent> taken;
    run_passes(input, 4, &taken);
    CHECK(taken.size() == 3);
    CHECK(taken[0].kind == HostEventKind::Activated);
    CHECK(taken[1].kind == HostEventKind::Deactivated);
    CHECK(taken[2].kind == HostEventKind::Activated);
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
