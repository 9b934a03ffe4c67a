// The page's events as host events (page_input.h): plain logic, tested
// under node.
//
// Implements: mouse moves, the left button and keys over the canvas; one
// finger as the mouse, its moves, press and release marked as touch, its
// press kFramesBeforePress frames after its position and its release
// kFramesBeforeRelease frames after that (the touch delay); activation from
// focus and visibility.
//
// Not implemented: a second finger (ignored while one is down); the mouse
// while a finger is down; mouse moves and releases outside the canvas (the
// pointer is never captured, so a release there is clipped away), while a
// finger's release reaches the game wherever it is lifted; other buttons,
// the wheel, pen pressure.
#include "platform/web/page_input.h"

#include <cmath>

namespace {

HostEvent pointer(HostEventKind kind, const ClientPoint& at, bool left_held, bool touch) {
    HostEvent e{kind, at.x, at.y, left_held};
    e.touch = touch;
    return e;
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

void PageInput::post(const HostEvent& event) {
    if (waiting_.empty())
        ready_.push_back(event);
    else
        waiting_.back().events.push_back(event);
}

void PageInput::post_after_frames(int frames, const HostEvent& event) {
    if (waiting_.empty()) frames_since_release_ = 0;
    waiting_.push_back({frames, {event}});
}

bool PageInput::next(HostEvent& out) {
    if (ready_.empty() && !waiting_.empty() && frames_since_release_ >= waiting_.front().frames) {
        ready_ = std::move(waiting_.front().events);
        waiting_.pop_front();
        frames_since_release_ = 0;
    }
    if (ready_.empty()) return false;
    out = ready_.front();
    ready_.pop_front();
    return true;
}

// Like the mouse of the desktop, only what happens over the client area
// reaches the game, and the mouse is never captured: a release outside is
// not seen.
void PageInput::mouse_move(const ClientPoint& at, bool left_held) {
    if (at.inside && !finger_down()) post(pointer(HostEventKind::PointerMove, at, left_held, false));
}

void PageInput::mouse_down(const ClientPoint& at) {
    if (!at.inside || finger_down()) return;
    press_activates();
    post(pointer(HostEventKind::LeftDown, at, true, false));
}

void PageInput::mouse_up(const ClientPoint& at) {
    if (at.inside && !finger_down()) post(pointer(HostEventKind::LeftUp, at, false, false));
}

void PageInput::key_down(unsigned virtual_key) {
    HostEvent e{HostEventKind::KeyDown};
    e.key = virtual_key;
    post(e);
}

void PageInput::key_up(unsigned virtual_key) {
    HostEvent e{HostEventKind::KeyUp};
    e.key = virtual_key;
    post(e);
}

void PageInput::activation_changed(bool was_active) {
    if (active() != was_active) post(HostEvent{active() ? HostEventKind::Activated : HostEventKind::Deactivated});
}

void PageInput::focus(bool focused) {
    const bool was = active();
    focused_ = focused;
    activation_changed(was);
}

// A press on the game makes it active, as a click on an inactive window
// activates it and presses at once: a page that the browser never gave the
// keyboard focus (a window manager that focuses nothing, a frame of another
// page) is still played.
void PageInput::press_activates() {
    if (!focused_) focus(true);
}

void PageInput::visibility(bool visible) {
    const bool was = active();
    visible_ = visible;
    activation_changed(was);
}

void PageInput::touch_start(long finger, const ClientPoint& at) {
    if (finger_down() || finger < 0 || !at.inside) return;
    finger_ = finger;
    press_activates();
    post(pointer(HostEventKind::PointerMove, at, false, true));
    post_after_frames(kFramesBeforePress, pointer(HostEventKind::LeftDown, at, true, true));
}

void PageInput::touch_move(long finger, const ClientPoint& at) {
    if (finger != finger_ || !at.inside) return;
    post(pointer(HostEventKind::PointerMove, at, true, true));
}

// The finger's release always reaches the game, wherever it is lifted: a
// finger cannot hover back over the window to let go, as a mouse can.
void PageInput::touch_end(long finger, const ClientPoint& at) {
    if (finger != finger_) return;
    finger_ = -1;
    post_after_frames(kFramesBeforeRelease, pointer(HostEventKind::LeftUp, at, false, true));
}
