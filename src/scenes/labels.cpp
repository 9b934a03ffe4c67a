#include "scenes/labels.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "state/platform_objects.h"
#include "ui_text.h"

UiTexts ui_texts{};

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;

// Starting layout of a label (x, y, width, height); every one starts Hidden.
constexpr InfoLabel kNameStart{Hidden, 8, -32, 320, 32};
constexpr InfoLabel kReadingStart{Hidden, 12, -32, 320, 32};
constexpr InfoLabel kPopulationStart{Hidden, 40, 180, 100, 20};
constexpr InfoLabel kAreaStart{Hidden, 40, 200, 100, 20};
constexpr InfoLabel kRegionStart{Hidden, 10, 100, 0, 20};
constexpr InfoLabel kRemarkStart{Hidden, 10, 120, 0, 20};
constexpr InfoLabel kAffiliationStart{Hidden, 10, 76, 0, 20};
constexpr InfoLabel kLineStarts[kMascotLines] = {
    {Hidden, 10, 96, 0, 20},
    {Hidden, 10, 116, 0, 20},
    {Hidden, 10, 136, 0, 22},  // the third line is two pixels taller
    {Hidden, 10, 156, 0, 20},
    {Hidden, 10, 176, 0, 20},
};

// Truncation toward zero, held within the 32-bit range so that a wild value
// gives a wild rectangle rather than undefined behaviour.
std::int32_t trunc_to_int(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace

void bind_ui_texts() {
    ui_texts.title = ui_text::kTitle;
    ui_texts.caption_municipality = ui_text::kCaptionMunicipality;
    ui_texts.caption_mascot = ui_text::kCaptionMascot;
    ui_texts.caption_play_again = ui_text::kCaptionPlayAgain;
    const char* const digits[10] = {ui_text::kDigit0, ui_text::kDigit1, ui_text::kDigit2, ui_text::kDigit3,
                                    ui_text::kDigit4, ui_text::kDigit5, ui_text::kDigit6, ui_text::kDigit7,
                                    ui_text::kDigit8, ui_text::kDigit9};
    for (int d = 0; d < 10; ++d) ui_texts.digits[d] = digits[d];
    ui_texts.high_score_municipality = ui_text::kHighScoreMunicipality;
    ui_texts.high_score_mascot = ui_text::kHighScoreMascot;
}

void reset_labels() {
    game.muni_name_label = kNameStart;
    game.muni_reading_label = kReadingStart;
    game.muni_population_label = kPopulationStart;
    game.muni_area_label = kAreaStart;
    game.muni_region_label = kRegionStart;
    game.muni_remark_label = kRemarkStart;
    game.mascot_name_label = kNameStart;
    game.mascot_affiliation_label = kAffiliationStart;
    for (int k = 0; k < kMascotLines; ++k) game.mascot_line_labels[k] = kLineStarts[k];
}

RECT label_rect(const InfoLabel& label) {
    RECT r;
    r.left = trunc_to_int(label.x);
    r.top = trunc_to_int(label.y);
    r.right = trunc_to_int(r.left + label.width);
    r.bottom = trunc_to_int(r.top + label.height);
    return r;
}

void draw_time_digits(double seconds, const int lefts[4], int top, int right, int bottom) {
    if (!font_gothic_16_bold) return;
    int t = 0;
    if (seconds >= kLargestShownSeconds)
        t = kLargestShownSeconds;
    else if (seconds > 0)  // also false for NaN
        t = static_cast<int>(seconds);
    const int d1 = t / 600;
    const int d2 = (t - 600 * d1) / 60;
    const int d3 = (t - 600 * d1 - 60 * d2) / 10;
    const int d4 = t - 600 * d1 - 60 * d2 - 10 * d3;
    const int digits[4] = {d1, d2, d3, d4};
    for (int k = 0; k < 4; ++k) {
        const char* text = ui_texts.digits[digits[k]];
        if (!text) continue;
        RECT rect{lefts[k], top, right, bottom};
        font_gothic_16_bold->DrawTextA(sprite, text, -1, &rect, DT_WORDBREAK, kBlack);
    }
}
