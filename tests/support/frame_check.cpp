#include "support/frame_check.h"

long first_difference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) return 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0xFF000000u) != (b[i] | 0xFF000000u)) return static_cast<long>(i);
    return -1;
}

bool FrameChecker::compare(const PresentedFrame& p) {
    FrameCheck& c = check_;
    if (!p.frame || !p.frame->starts_with_full_clear(p.width, p.height)) {
        ++c.unchecked;
        return false;
    }
    if (!p.pictures || !p.pictures->draw_in_full(*p.frame, full_) || !p.pictures->read_shown(shown_)) return false;
    ++c.frames;
    if (p.skipped) ++c.skipped;
    const long at = first_difference(full_, shown_);
    if (at >= 0 && c.differing_frames++ == 0) {
        c.first_frame = c.frames;
        c.first_x = static_cast<int>(at % p.width);
        c.first_y = static_cast<int>(at / p.width);
        c.full = at < static_cast<long>(full_.size()) ? full_[at] | 0xFF000000u : 0;
        c.shown = at < static_cast<long>(shown_.size()) ? shown_[at] | 0xFF000000u : 0;
    }
    return true;
}
