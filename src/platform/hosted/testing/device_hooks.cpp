// The hosted device's diagnostics (device_hooks.h) and its read-back, for
// test builds only: a probe attached to the device at the first of these
// calls counts its presents, forces a redraw when asked, and hands each
// present to the test's callback with the presenter's own pictures.
#include "platform/hosted/device_hooks.h"

#include "platform/hosted/presenter_diagnostics.h"
#include "platform/sprite/render_device.h"

namespace {

class TestProbe final : public DeviceProbe, public FramePictures {
public:
    explicit TestProbe(HostedDevice& device) : device_(device) {}

    bool redraw_this_present() override {
        const bool forced = redraw_next_;
        redraw_next_ = false;
        return forced;
    }

    void presented(const HostedPresentedFrame& frame, bool lost) override {
        if (frame.skipped) {
            ++counts.skipped;
        } else {
            ++counts.drawn;
            if (frame.drawn.from_layer) ++counts.from_layer;
            if (frame.drawn.in_part) ++counts.in_part;
        }
        if (!after_present || lost) return;
        HostedPresentedFrame seen = frame;
        seen.pictures = this;
        after_present(seen);
    }

    bool draw_in_full(const RecordedFrame& frame, std::vector<std::uint32_t>& argb) override {
        return presenter_draw_in_full(*device_.presenter(), frame, argb);
    }
    bool read_shown(std::vector<std::uint32_t>& argb) override {
        return presenter_read_back_buffer(*device_.presenter(), argb);
    }

    HostedPresentCounts counts;
    bool redraw_next_ = false;
    FrameDrawingOptions options;
    std::function<void(const HostedPresentedFrame&)> after_present;

private:
    HostedDevice& device_;
};

TestProbe* probe_of(IDirect3DDevice9* device) {
    HostedDevice* d = hosted_device(device);
    if (!d) return nullptr;
    if (!d->probe()) d->probe() = std::make_unique<TestProbe>(*d);
    return static_cast<TestProbe*>(d->probe().get());
}

}  // namespace

HostedPresentCounts hosted_present_counts(IDirect3DDevice9* device) {
    TestProbe* p = probe_of(device);
    return p ? p->counts : HostedPresentCounts{};
}

void set_frame_drawing(IDirect3DDevice9* device, const FrameDrawingOptions& options) {
    TestProbe* p = probe_of(device);
    if (!p) return;
    p->options = options;
    HostedDevice* d = hosted_device(device);
    set_presenter_options(*d->presenter(), options);
    d->recorder().forget_presented();
}

FrameDrawingOptions frame_drawing(IDirect3DDevice9* device) {
    TestProbe* p = probe_of(device);
    return p ? p->options : FrameDrawingOptions{};
}

void redraw_next_present(IDirect3DDevice9* device) {
    if (TestProbe* p = probe_of(device)) p->redraw_next_ = true;
}

const char* device_renderer_name(IDirect3DDevice9* device) {
    HostedDevice* d = hosted_device(device);
    return d ? presenter_name(*d->presenter()) : nullptr;
}

void simulate_device_loss(IDirect3DDevice9* device) {
    if (HostedDevice* d = hosted_device(device)) presenter_simulate_loss(*d->presenter());
}

void set_after_present(IDirect3DDevice9* device, std::function<void(const HostedPresentedFrame&)> after_present) {
    if (TestProbe* p = probe_of(device)) p->after_present = std::move(after_present);
}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    HostedDevice* d = hosted_device(device);
    if (!d || d->presenter()->lost()) return false;
    // What was drawn since the last present, if anything; the present draws
    // the rest.
    const RecordedFrame& frame = d->recorder().frame();
    presenter_draw_now(*d->presenter(), frame, d->drawn_early(), frame.end());
    d->drawn_early() = frame.end();
    if (!presenter_read_back_buffer(*d->presenter(), argb)) return false;
    for (std::uint32_t& p : argb) p |= 0xFF000000u;  // the back buffer has no alpha (X8R8G8B8)
    width = d->width();
    height = d->height();
    return true;
}
