// How the page's pointer, touch, key and focus events become the hosted
// layer's events (platform/hosted/host_window.h), queued until the hosted
// layer takes them one by one as the main loop asks for messages. Plain
// logic without the browser, so it is tested under node.
//
// Touch: one finger plays as the mouse. The game acts on a press only over
// what the pointer already hovered in an earlier frame (the piece that is
// the candidate under the pointer, the button that is lit; going from one
// button to the other takes two frames), so a finger's position goes to the
// game first and its press only after kFramesBeforePress frames have run;
// its release after kFramesBeforeRelease more, so a tap is seen pressed by
// the game before it is let go. A second finger is ignored.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/hosted/host_window.h"

// A point of the canvas in CSS pixels (from its top-left corner) in client
// pixels: the canvas's shown size in CSS pixels, rounded, is the client
// area. Points outside it are not in the client area.
struct ClientPoint {
    int x = 0, y = 0;
    bool inside = false;
};
ClientPoint map_to_client(double css_x, double css_y, double css_width, double css_height);
// The client size for a canvas of css_width x css_height CSS pixels (at
// least 1 x 1).
void client_size_of(double css_width, double css_height, int& width, int& height);

class PageInput {
public:
    static constexpr int kFramesBeforePress = 3;
    static constexpr int kFramesBeforeRelease = 2;

    void mouse_move(const ClientPoint& at, bool left_held);
    void mouse_down(const ClientPoint& at);
    void mouse_up(const ClientPoint& at);
    void key_down(unsigned virtual_key);
    void key_up(unsigned virtual_key);
    // The page is active while it is shown and has the keyboard focus (the
    // page events start it focused), or was pressed on since it lost it; a
    // change is an Activated or Deactivated event.
    void focus(bool focused);
    void visibility(bool visible);

    void touch_start(long finger, const ClientPoint& at);
    void touch_move(long finger, const ClientPoint& at);
    void touch_end(long finger, const ClientPoint& at);  // lifted or cancelled

    // The next event that is ready (host_next_event). False when none is:
    // the main loop then runs a frame (host_queue_found_empty calls
    // frame_ran), and events held back for that many frames become ready.
    bool next(HostEvent& out);
    void frame_ran() { ++frames_since_release_; }
    bool active() const { return focused_ && visible_; }
    bool finger_down() const { return finger_ >= 0; }

private:
    void post(const HostEvent& event);
    void post_after_frames(int frames, const HostEvent& event);
    void activation_changed(bool was_active);
    void press_activates();

    struct Held {
        int frames;  // frames to run after the group before it
        std::deque<HostEvent> events;
    };
    std::deque<HostEvent> ready_;
    std::deque<Held> waiting_;
    int frames_since_release_ = 0;
    bool focused_ = false, visible_ = true;
    long finger_ = -1;
};
