#!/usr/bin/env bash
# Start-up with a broken atlas: the "初期化失敗" message box names the
# graphics stage in Japanese that reads (the game draws the box itself; the
# window system's fonts have no Japanese glyphs), the empty game window is
# not on the screen meanwhile, and dismissing the box ends the game with
# code 0 -- by Return, by a click on OK, by Escape and by the close box.
# Without any Japanese face the window system's own box still tells the
# player, and standard error always has the text.
source "$(dirname "$0")/lib.sh"

start_x
make_scratch_game

box=""
find_box() { box=$(find_window_named "初期化失敗") && window_viewable "$box"; }

# The game window, if it exists, must not be viewable behind the box.
game_window_hidden() {
    local id
    for id in $(xdotool search --pid "$game_pid" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "ぽこ丸ジグゾー" ] || continue
        window_viewable "$id" && return 1
    done
    return 0
}

expect_graphics_failure() {
    local how=$1
    start_game
    wait_until 20 find_box || fail "($how) no message box captioned 初期化失敗 appeared within 20 s"
    # The text goes to standard error as well, in UTF-8.
    grep -q 'DirectX Graphicsの初期化を失敗しました' "$scratch/game.log" ||
        fail "($how) the graphics stage's failure text was not reported on standard error"
    game_window_hidden || fail "($how) the empty game window shows behind the box"
    [ "$(LC_ALL=C.UTF-8 xprop -id "$box" WM_NAME)" = 'WM_NAME(COMPOUND_TEXT) = "初期化失敗"' ] ||
        fail "($how) the box's legacy title is not compound text: $(LC_ALL=C.UTF-8 xprop -id "$box" WM_NAME)"
    # The box shows something besides its background: a line of text in its
    # upper part, the OK button in its lower part.
    read -r bw bh < <(client_size "$box")
    box_drawn() {
        shoot "$box" &&
            [ "$(identify -format '%k' "$SHOT[${bw}x$((bh / 3))+0+10]")" -ge 2 ] &&
            [ "$(identify -format '%k' "$SHOT[${bw}x$((bh / 3))+0+$((bh - bh / 3 - 5))]")" -ge 2 ]
    }
    wait_until 10 box_drawn || fail "($how) the message box stayed blank for 10 s"
    # The game's loop never started, so the game has not ended by itself.
    kill -0 "$game_pid" 2>/dev/null || fail "($how) the game ended before the box was dismissed"
    case $how in
        return | escape)
            focus_window "$box"
            if [ "$how" = return ]; then xdotool key Return; else xdotool key Escape; fi
            ;;
        click)
            # The one button sits at the bottom of the box, centred.
            xdotool mousemove --window "$box" $((bw / 2)) $((bh - 28)) click 1
            ;;
        close)
            "$E2E_CLOSE_REQUEST" "$box" || fail "($how) the close request could not be sent"
            ;;
    esac
    wait_game_exit 20
    [ "$game_rc" = 0 ] || fail "($how) the game ended with code $game_rc"
    log "($how) message box ${bw} x ${bh} dismissed; exit code 0"
}

head -c 4096 /dev/urandom >"$scratch/run/game/bitmap.png"
expect_graphics_failure return


rm -f "$scratch/run/game/bitmap.png"
expect_graphics_failure click

mkdir "$scratch/run/game/bitmap.png"
expect_graphics_failure escape
rmdir "$scratch/run/game/bitmap.png"

ln -s /dev/zero "$scratch/run/game/bitmap.png"
expect_graphics_failure close
rm -f "$scratch/run/game/bitmap.png"

# No Japanese face at all: the fonts cannot be made, so the graphics stage
# fails, and the window system's box says so (its glyphs as they may be).
cp "$ATLAS" "$scratch/run/game/bitmap.png"
cat >"$scratch/no-fonts.conf" <<'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/nonexistent</dir><cachedir>/nonexistent-cache</cachedir></fontconfig>
CONF
GAME_ENV=(FONTCONFIG_FILE="$scratch/no-fonts.conf")
start_game
wait_until 20 find_box || fail "(no fonts) no message box captioned 初期化失敗 appeared within 20 s"
grep -q 'DirectX Graphicsの初期化を失敗しました' "$scratch/game.log" ||
    fail "(no fonts) the graphics stage's failure text was not reported on standard error"
focus_window "$box"
xdotool key Return
wait_game_exit 20
[ "$game_rc" = 0 ] || fail "(no fonts) the game ended with code $game_rc"
log "(no fonts) the window system's box was shown and dismissed; exit code 0"
GAME_ENV=()
