// What tests switch and watch in the Direct3D 9 device's backend
// (frame_skip.h): frame skipping on or off, the counts of presents drawn and
// skipped, a call just before each real present, and the frame pictures
// after each present for the whole-game frame check. Only test builds link
// this; the game's program holds none of it.
#include <functional>
#include <memory>
#include <utility>

#include "platform/win32/d3d9_backend.h"
#include "platform/win32/frame_skip.h"
#include "platform/win32/testing/frame_pictures_d3d9.h"

namespace {

class TestWatch final : public D3d9PresentWatch {
public:
    explicit TestWatch(const D3d9Backend& backend) : backend_(backend) {}

    void before_present() override {
        if (before_) before_();
        if (pictures_) pictures_->keep_shown();
    }
    void after_present(const RecordedFrame* shown, int width, int height, bool skipped) override {
        ++(skipped ? counts.skipped : counts.drawn);
        if (!after_) return;
        PresentedFrame p;
        p.pictures = pictures_.get();
        p.frame = shown;
        p.width = width;
        p.height = height;
        p.skipped = skipped;
        after_(p);
    }
    void before_reset() override {
        if (pictures_) pictures_->release_target();
    }

    void set_before(std::function<void()> call) { before_ = std::move(call); }
    void set_after(std::function<void(const PresentedFrame&)> call) {
        after_ = std::move(call);
        if (!after_) pictures_.reset();
        else if (!pictures_)
            pictures_ = std::make_unique<D3d9FramePictures>(backend_.device(), backend_.caps(), backend_.texture_lookup());
    }

    PresentCounts counts;

private:
    const D3d9Backend& backend_;
    std::function<void()> before_;
    std::function<void(const PresentedFrame&)> after_;
    std::unique_ptr<D3d9FramePictures> pictures_;  // while there is an after-present call
};

TestWatch* watch_of(IDirect3DDevice9* device) {
    D3d9Backend* backend = backend_for(device);
    return backend ? &static_cast<TestWatch&>(backend->watch()) : nullptr;
}

}  // namespace

void D3d9Backend::set_skipping(bool enabled) {
    flush();
    skipping_ = enabled;
    recorder_.forget_presented();
}

D3d9PresentWatch& D3d9Backend::watch() {
    if (!watch_) watch_ = std::make_unique<TestWatch>(*this);
    return *watch_;
}

PresentCounts present_counts(IDirect3DDevice9* device) {
    const TestWatch* watch = watch_of(device);
    return watch ? watch->counts : PresentCounts{};
}

void set_frame_skipping(IDirect3DDevice9* device, bool enabled) {
    if (auto* backend = static_cast<D3d9Backend*>(render_backend_of(device))) {
        backend->watch();  // the counts start here
        backend->set_skipping(enabled);
    }
}

void set_before_present(IDirect3DDevice9* device, std::function<void()> before_present) {
    render_backend_of(device);
    if (TestWatch* watch = watch_of(device)) watch->set_before(std::move(before_present));
}

void set_after_present(IDirect3DDevice9* device, std::function<void(const PresentedFrame&)> after_present) {
    render_backend_of(device);
    if (TestWatch* watch = watch_of(device)) watch->set_after(std::move(after_present));
}

bool read_back_buffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    if (!device) return false;
    // The back buffer as the game drew it so far, recorded draws included.
    if (D3d9Backend* backend = backend_for(device)) backend->flush();
    ComRef<IDirect3DSurface9> back, copy;
    return SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out())) &&
           read_render_target(device, back.get(), copy, argb, width, height);
}
