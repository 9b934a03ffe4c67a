#!/usr/bin/env bash
# The Windows game under Wine with a bad atlas: a missing, a truncated
# and a corrupt bitmap.png each bring up the "初期化失敗" message box, its
# Japanese text drawn in real glyphs, and dismissing it ends the game with
# exit code 0.
source "$(dirname "$0")/e2e_lib.sh"

start_x
start_window_manager
make_scratch_game
good_atlas="$scratch/bitmap.png"
cp "$scratch/run/game/bitmap.png" "$good_atlas"

expect_graphics_failure() {
    local how=$1 box=""
    start_game
    find_box() { box=$(find_window_named "初期化失敗") && window_viewable "$box"; }
    wait_until 90 find_box || fail "($how) no message box titled 初期化失敗 appeared"
    # The box holds a line of text above its OK button, whose right half is
    # kana and kanji: real glyphs there, not the empty boxes of a face
    # without them (those make only a handful of different pixel columns).
    read -r bw bh < <(client_size "$box")
    text_drawn() {
        shoot "$box" || return 1
        gt "$(region_dark_fraction "$SHOT" 0 0 "$bw" $((bh / 2)))" 0.01 &&
            [ "$(distinct_columns "$SHOT" $((bw / 2)) 0 $((bw / 2)) $((bh / 2)))" -ge 15 ]
    }
    wait_until 10 text_drawn || fail "($how) the message box shows no legible Japanese text ($(distinct_columns "$SHOT" $((bw / 2)) 0 $((bw / 2)) $((bh / 2))) distinct columns)"
    cp "$SHOT" "$E2E_ARTIFACTS/windows-box-$how.png" 2>/dev/null ||
        { mkdir -p "$E2E_ARTIFACTS" && cp "$SHOT" "$E2E_ARTIFACTS/windows-box-$how.png"; }
    kill -0 "$game_pid" 2>/dev/null || fail "($how) the game ended before the box was dismissed"
    focus_window "$box"
    xdotool key Return
    wait_game_exit 20
    [ "$game_rc" = 0 ] || fail "($how) the game ended with code $game_rc"
    log "($how) box ${bw} x ${bh}, $(distinct_columns "$SHOT" $((bw / 2)) 0 $((bw / 2)) $((bh / 2))) distinct glyph columns, dismissed; exit code 0"
}

rm -f "$scratch/run/game/bitmap.png"
expect_graphics_failure missing

head -c 2000 "$good_atlas" >"$scratch/run/game/bitmap.png"
expect_graphics_failure truncated

# The PNG signature and header intact, the rest garbage.
{ head -c 33 "$good_atlas"; head -c 8192 /dev/urandom; } >"$scratch/run/game/bitmap.png"
expect_graphics_failure corrupt
