// temporary: replaced by the content branch.
// The fixed texts of the screens, the info-panel labels' starting layout,
// the rectangle of a label and the four-digit time writer.
#pragma once

#include "platform/win_types.h"
#include "scenes/game_state.h"

struct UiTexts {
    const char *title, *caption_municipality, *caption_mascot, *caption_play_again;
    const char* digits[10];
    const char *high_score_municipality, *high_score_mascot;
};

extern UiTexts ui_texts;

namespace ui_text {
extern const char kRemainingCount[];  // "残り個数：　　個"
extern const char kElapsedTime[];     // "経過時間：　　分　　秒"
extern const char kGameClear[];       // "ゲームクリア！"
extern const char kNewRecord[];       // "記録更新！"
extern const char kTimes[];           // "×"
}  // namespace ui_text

void bind_ui_texts();
// The thirteen labels back to their starting layout, every one Hidden.
void reset_labels();
RECT label_rect(const InfoLabel& label);
void draw_time_digits(double seconds, const int lefts[4], int top, int right, int bottom);
