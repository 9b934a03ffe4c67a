// The page's listeners (page_events.h): emscripten's callbacks on the
// canvas and the window feeding PageInput.
//
// Implements: mouse down, up and move and touch start, move, end and cancel
// on the canvas, mapped through the canvas's shown size; key down and up on
// the window (Escape, letters and digits; any other key as 0xFF, and only
// Escape's default action is held back); focus, blur and visibility; the
// page's focus and visibility as the game starts.
//
// Not implemented: pointer events of other kinds (pen), the wheel, the
// context menu; a finger's page gestures are the game's (no scrolling or
// zooming comes of them).
#include "platform/web/page_events.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "platform/web/web_page.h"
#include "platform/win_types.h"

namespace {

PageInput the_input;
bool started = false;

ClientPoint canvas_point(long x, long y) {
    double width = 0, height = 0;
    emscripten_get_element_css_size(kCanvasSelector, &width, &height);
    return map_to_client(static_cast<double>(x), static_cast<double>(y), width, height);
}

EM_BOOL on_mouse(int type, const EmscriptenMouseEvent* e, void*) {
    const ClientPoint at = canvas_point(e->targetX, e->targetY);
    switch (type) {
        case EMSCRIPTEN_EVENT_MOUSEMOVE:
            the_input.mouse_move(at, (e->buttons & 1) != 0);
            return EM_FALSE;
        case EMSCRIPTEN_EVENT_MOUSEDOWN:
            if (e->button == 0) the_input.mouse_down(at);
            return EM_FALSE;  // the page still takes the focus
        case EMSCRIPTEN_EVENT_MOUSEUP:
            if (e->button == 0) the_input.mouse_up(at);
            return EM_FALSE;
        default:
            return EM_FALSE;
    }
}

// The finger's events are the page's own: no scrolling, zooming or
// selection comes of them.
EM_BOOL on_touch(int type, const EmscriptenTouchEvent* e, void*) {
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (!t.isChanged) continue;
        const ClientPoint at = canvas_point(t.targetX, t.targetY);
        switch (type) {
            case EMSCRIPTEN_EVENT_TOUCHSTART:
                the_input.touch_start(t.identifier, at);
                break;
            case EMSCRIPTEN_EVENT_TOUCHMOVE:
                the_input.touch_move(t.identifier, at);
                break;
            default:
                the_input.touch_end(t.identifier, at);
                break;
        }
    }
    return EM_TRUE;
}

unsigned virtual_key(const EmscriptenKeyboardEvent* e) {
    if (std::strcmp(e->key, "Escape") == 0 || e->keyCode == 27) return VK_ESCAPE;
    if (e->keyCode >= 'A' && e->keyCode <= 'Z') return e->keyCode;
    if (e->keyCode >= '0' && e->keyCode <= '9') return e->keyCode;
    return 0xFF;  // some other key: the game reacts to Escape only
}

EM_BOOL on_key(int type, const EmscriptenKeyboardEvent* e, void*) {
    const unsigned key = virtual_key(e);
    if (type == EMSCRIPTEN_EVENT_KEYDOWN)
        the_input.key_down(key);
    else
        the_input.key_up(key);
    return key == VK_ESCAPE;  // other keys keep their meaning to the browser
}

EM_BOOL on_focus(int type, const EmscriptenFocusEvent*, void*) {
    the_input.focus(type == EMSCRIPTEN_EVENT_FOCUS);
    return EM_FALSE;
}

EM_BOOL on_visibility(int, const EmscriptenVisibilityChangeEvent* e, void*) {
    the_input.visibility(!e->hidden);
    return EM_FALSE;
}

}  // namespace

PageInput& page_input() { return the_input; }

void canvas_client_size(int& width, int& height) {
    double css_width = 0, css_height = 0;
    emscripten_get_element_css_size(kCanvasSelector, &css_width, &css_height);
    client_size_of(css_width, css_height, width, height);
}

void start_page_events() {
    if (started) return;
    started = true;
    emscripten_set_mousedown_callback(kCanvasSelector, nullptr, EM_TRUE, on_mouse);
    emscripten_set_mouseup_callback(kCanvasSelector, nullptr, EM_TRUE, on_mouse);
    emscripten_set_mousemove_callback(kCanvasSelector, nullptr, EM_TRUE, on_mouse);
    emscripten_set_touchstart_callback(kCanvasSelector, nullptr, EM_TRUE, on_touch);
    emscripten_set_touchmove_callback(kCanvasSelector, nullptr, EM_TRUE, on_touch);
    emscripten_set_touchend_callback(kCanvasSelector, nullptr, EM_TRUE, on_touch);
    emscripten_set_touchcancel_callback(kCanvasSelector, nullptr, EM_TRUE, on_touch);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_key);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_key);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_focus);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_focus);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, on_visibility);
    // As a window made and shown is active at once, the game starts active
    // while the page is shown, whether or not the browser has given it the
    // keyboard focus yet: a page in a frame of another page, or under a
    // window manager that focuses nothing, may never get it. Losing the
    // focus makes it inactive; a press on it makes it active again.
    EmscriptenVisibilityChangeEvent visibility;
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS)
        the_input.visibility(!visibility.hidden);
    the_input.focus(true);
}
