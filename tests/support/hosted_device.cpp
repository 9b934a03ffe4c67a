#include "support/hosted_device.h"

#include <map>
#include <memory>
#include <vector>

#include "platform/hosted/device_hooks.h"
#include "platform/hosted/presenter_diagnostics.h"

namespace {

struct Checking {
    FrameChecker checker;
    unsigned long cached_before = 0, damaged_before = 0;
    std::vector<std::uint32_t> window;
};

std::map<IDirect3DDevice9*, std::shared_ptr<Checking>>& checks() {
    static std::map<IDirect3DDevice9*, std::shared_ptr<Checking>> map;
    return map;
}

void compare(IDirect3DDevice9* device, Checking& k, const HostedPresentedFrame& p) {
    if (!k.checker.compare(p)) return;
    FrameCheck& c = k.checker.check();
    const HostedPresentCounts counts = hosted_present_counts(device);
    c.cached = counts.from_layer - k.cached_before;
    c.damaged = counts.in_part - k.damaged_before;
    // Where only part of the back buffer was copied to the window, the
    // window must show all of it all the same.
    if (presenter_read_window(*p.presenter, k.window)) {
        ++c.window_frames;
        const long at = first_difference(k.window, k.checker.shown());
        if (at >= 0 && c.window_differing_frames++ == 0) {
            c.window_first_frame = c.frames;
            c.window_first_x = static_cast<int>(at % p.width);
            c.window_first_y = static_cast<int>(at / p.width);
        }
    }
}

}  // namespace

void sdl_graphics_check_frames(IDirect3DDevice9* device, bool on) {
    if (!on) {
        set_after_present(device, {});
        checks().erase(device);
        return;
    }
    auto k = std::make_shared<Checking>();
    const HostedPresentCounts counts = hosted_present_counts(device);
    k->cached_before = counts.from_layer;
    k->damaged_before = counts.in_part;
    checks()[device] = k;
    set_after_present(device, [device, k](const HostedPresentedFrame& p) { compare(device, *k, p); });
}

FrameCheck sdl_graphics_frame_check(IDirect3DDevice9* device) {
    const auto found = checks().find(device);
    return found == checks().end() ? FrameCheck{} : found->second->checker.check();
}
const char* sdl_graphics_renderer_name(IDirect3DDevice9* device) { return device_renderer_name(device); }

unsigned long sdl_graphics_skipped_presents(IDirect3DDevice9* device) {
    return hosted_present_counts(device).skipped;
}

void sdl_graphics_force_redraw(IDirect3DDevice9* device) { redraw_next_present(device); }

void sdl_graphics_simulate_device_loss(IDirect3DDevice9* device) { simulate_device_loss(device); }

void sdl_graphics_set_frame_cache(IDirect3DDevice9* device, bool cached_prefix, bool opaque_shortcut) {
    FrameDrawingOptions o = frame_drawing(device);
    o.cached_prefix = cached_prefix;
    o.opaque_shortcut = opaque_shortcut;
    set_frame_drawing(device, o);
}

unsigned long sdl_graphics_cached_presents(IDirect3DDevice9* device) {
    return hosted_present_counts(device).from_layer;
}

void sdl_graphics_set_damage_redraw(IDirect3DDevice9* device, bool on) {
    FrameDrawingOptions o = frame_drawing(device);
    o.damage_redraw = on;
    set_frame_drawing(device, o);
}

unsigned long sdl_graphics_damaged_presents(IDirect3DDevice9* device) {
    return hosted_present_counts(device).in_part;
}
