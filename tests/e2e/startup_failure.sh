#!/usr/bin/env bash
# Start-up with a broken atlas: the "初期化失敗" message box names the
# graphics stage, and dismissing it ends the game with code 0 -- once with a
# garbage bitmap.png and the Return key, once with no bitmap.png and a click
# on OK.
source "$(dirname "$0")/lib.sh"

start_x
make_scratch_game

expect_graphics_failure() {
    local how=$1 box=""
    start_game
    find_box() { box=$(find_window_named "初期化失敗") && window_viewable "$box"; }
    wait_until 15 find_box || fail "($how) no message box captioned 初期化失敗 appeared"
    # The text goes to standard error as well, in UTF-8.
    grep -q 'DirectX Graphicsの初期化を失敗しました' "$scratch/game.log" ||
        fail "($how) the graphics stage's failure text was not reported"
    # The box shows something besides its background: a line of text in its
    # upper part, the OK button in its lower part.
    read -r bw bh < <(client_size "$box")
    box_drawn() {
        shoot "$box" &&
            [ "$(identify -format '%k' "$SHOT[${bw}x$((bh / 3))+0+10]")" -ge 2 ] &&
            [ "$(identify -format '%k' "$SHOT[${bw}x$((bh / 3))+0+$((bh - bh / 3 - 5))]")" -ge 2 ]
    }
    wait_until 5 box_drawn || fail "($how) the message box stays blank"
    # The game's loop never started, so the game has not ended by itself.
    kill -0 "$game_pid" 2>/dev/null || fail "($how) the game ended before the box was dismissed"
    if [ "$how" = key ]; then
        focus_window "$box"
        xdotool key Return
    else
        # SDL puts the one button at the bottom of the box, centred.
        xdotool mousemove --window "$box" $((bw / 2)) $((bh - 28)) click 1
    fi
    wait_game_exit 10
    [ "$game_rc" = 0 ] || fail "($how) the game ended with code $game_rc"
    log "($how) message box ${bw} x ${bh} dismissed; exit code 0"
}

head -c 4096 /dev/urandom >"$scratch/run/game/bitmap.png"
expect_graphics_failure key

rm -f "$scratch/run/game/bitmap.png"
expect_graphics_failure click
