#include "platform/web/page_input.h"

#include <cmath>

namespace {

LPARAM position(const ClientPoint& at) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>(at.x & 0xFFFF) |
                               (static_cast<std::uint32_t>(at.y & 0xFFFF) << 16));
}

}  // namespace

void client_size_of(double css_width, double css_height, int& width, int& height) {
    width = css_width >= 1 ? static_cast<int>(std::lround(css_width)) : 1;
    height = css_height >= 1 ? static_cast<int>(std::lround(css_height)) : 1;
}

ClientPoint map_to_client(double css_x, double css_y, double css_width, double css_height) {
    ClientPoint p;
    int width = 1, height = 1;
    client_size_of(css_width, css_height, width, height);
    if (!(css_width > 0) || !(css_height > 0) || std::isnan(css_x) || std::isnan(css_y)) return p;
    const double x = std::floor(css_x * width / css_width);
    const double y = std::floor(css_y * height / css_height);
    p.inside = x >= 0 && y >= 0 && x < width && y < height;
    p.x = static_cast<int>(x < -32768 ? -32768 : x > 32767 ? 32767 : x);
    p.y = static_cast<int>(y < -32768 ? -32768 : y > 32767 ? 32767 : y);
    return p;
}

void PageInput::post(UINT message, WPARAM wparam, LPARAM lparam) {
    if (waiting_.empty())
        ready_.push_back({message, wparam, lparam});
    else
        waiting_.back().messages.push_back({message, wparam, lparam});
}

void PageInput::post_after_frames(int frames, UINT message, WPARAM wparam, LPARAM lparam) {
    if (waiting_.empty()) frames_since_release_ = 0;
    waiting_.push_back({frames, {{message, wparam, lparam}}});
}

bool PageInput::next(PageMessage& out) {
    if (ready_.empty() && !waiting_.empty() && frames_since_release_ >= waiting_.front().frames) {
        ready_ = std::move(waiting_.front().messages);
        waiting_.pop_front();
        frames_since_release_ = 0;
    }
    if (ready_.empty()) return false;
    out = ready_.front();
    ready_.pop_front();
    return true;
}

bool PageInput::take(PageMessage& out) {
    if (next(out)) return true;
    frame_ran();  // the main loop runs a frame now
    return false;
}

// Like the mouse of the desktop, only what happens over the client area
// reaches the game, and the mouse is never captured: a release outside is
// not seen.
void PageInput::mouse_move(const ClientPoint& at, bool left_held) {
    if (at.inside && !finger_down()) post(WM_MOUSEMOVE, left_held ? MK_LBUTTON : 0, position(at));
}

void PageInput::mouse_down(const ClientPoint& at) {
    if (at.inside && !finger_down()) post(WM_LBUTTONDOWN, MK_LBUTTON, position(at));
}

void PageInput::mouse_up(const ClientPoint& at) {
    if (at.inside && !finger_down()) post(WM_LBUTTONUP, 0, position(at));
}

void PageInput::key_down(WPARAM virtual_key) { post(WM_KEYDOWN, virtual_key, 1); }

void PageInput::key_up(WPARAM virtual_key) { post(WM_KEYUP, virtual_key, 1); }

void PageInput::activation_changed(bool was_active) {
    if (active() != was_active) post(WM_ACTIVATE, active() ? WA_ACTIVE : WA_INACTIVE, 0);
}

void PageInput::focus(bool focused) {
    const bool was = active();
    focused_ = focused;
    activation_changed(was);
}

void PageInput::visibility(bool visible) {
    const bool was = active();
    visible_ = visible;
    activation_changed(was);
}

void PageInput::touch_start(long finger, const ClientPoint& at) {
    if (finger_down() || finger < 0 || !at.inside) return;
    finger_ = finger;
    // A touch on a page without focus gives it focus, as a click activates
    // a window and presses at once.
    if (!focused_) focus(true);
    post(WM_MOUSEMOVE, 0, position(at));
    post_after_frames(kFramesBeforePress, WM_LBUTTONDOWN, MK_LBUTTON, position(at));
}

void PageInput::touch_move(long finger, const ClientPoint& at) {
    if (finger != finger_ || !at.inside) return;
    post(WM_MOUSEMOVE, MK_LBUTTON, position(at));
}

// The finger's release always reaches the game, wherever it is lifted: a
// finger cannot hover back over the window to let go, as a mouse can.
void PageInput::touch_end(long finger, const ClientPoint& at) {
    if (finger != finger_) return;
    finger_ = -1;
    post_after_frames(kFramesBeforeRelease, WM_LBUTTONUP, 0, position(at));
}
