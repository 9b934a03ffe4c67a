// The fixed texts of the screens, the thirteen lines of the info panel and
// the two drawing conventions every text shares: how a label becomes a
// rectangle, and how a time is written as four full-width digits.
#pragma once

#include "state/game_state.h"

// The fixed texts that bind_ui_texts binds, by role. Each points at a
// constant Shift-JIS text of the program (see ui_text.h, generated from
// content/ui_texts.tsv, for these and the texts the drawing uses directly:
// the counters' captions, the clear banner, the new-record notice and the
// window-size "×").
struct UiTexts {
    const char* title;                    // "ぽこ丸ジグゾー"
    const char* caption_municipality;     // "市町村"
    const char* caption_mascot;           // "ぽこ丸"
    const char* caption_play_again;       // "もう一度"
    const char* digits[10];               // "０" .. "９", indexed by value
    const char* high_score_municipality;  // "ハイスコア（市町村）：　　分　　秒"
    const char* high_score_mascot;        // "ハイスコア（ぽこ丸）：　　分　　秒"
};

extern UiTexts ui_texts;

// Binds the fixed texts; once at start-up, after fill_catalogue.
void bind_ui_texts();

// Gives the thirteen info-panel labels their starting layout, every one
// Hidden. Part of reset_board.
void reset_labels();

// The rectangle a label is drawn in: left = trunc(x), top = trunc(y),
// right = trunc(left + width), bottom = trunc(top + height), truncating
// toward zero and computing right and bottom from the truncated left and top.
RECT label_rect(const InfoLabel& label);

// Where the four digits of a time go: over the two blanks before 分 and the
// two before 秒 of a caption drawn with the same font.
constexpr int kHighScoreDigitLefts[4] = {888, 904, 940, 956};  // captions at x 700
constexpr int kElapsedDigitLefts[4] = {716, 732, 768, 784};    // captions at x 632

// The largest time the four digits can show: 99 minutes 59 seconds.
constexpr int kLargestShownSeconds = 5999;

// Writes a time as minutes and seconds, four full-width digits (tens of
// minutes, minutes, tens of seconds, seconds) of whole seconds, truncated:
// 59.9 s shows ００５９. Each digit is drawn with font_gothic_16_bold
// through sprite into (lefts[k], top, right, bottom), DT_WORDBREAK, black.
// The digits cannot show 100 minutes, so a time of 6000 s or more shows
// ９９５９ (the clock is held at 5999 s for display only); a negative time
// or one that is not a number shows ００００. Nothing is drawn while the
// font or the digit texts are missing.
void draw_time_digits(double seconds, const int lefts[4], int top, int right, int bottom);
