# The real-window test helpers of tests/e2e/lib.sh, for the Windows
# game under Wine (the shipped 32-bit one where this kernel runs it, else the
# 64-bit twin): the game is started through wine in the test run's prefix
# (POKOMARU_WINE_DIR, made by wine_prefix.sh), every Wine process of the
# prefix is ended with the test, and windows are found by their
# _NET_WM_NAME. Sourced by tests/windows/e2e_*.sh.

: "${POKOMARU_WINE_DIR:?}"
# shellcheck source=../e2e/lib.sh
source "$POKOMARU_SOURCE_DIR/tests/e2e/lib.sh"
[ -f "$POKOMARU_BINARY" ] || fail "$POKOMARU_BINARY is missing: build it with scripts/build-windows.sh"
[ -f "$POKOMARU_WINE_DIR/env.sh" ] || fail "no Wine prefix in $POKOMARU_WINE_DIR (tests/windows/wine_prefix.sh)"
# shellcheck source=/dev/null
. "$POKOMARU_WINE_DIR/env.sh"
export LC_ALL=C.UTF-8

# Wine's own processes of this prefix (its server, the desktop process)
# belong to the display of this test: end them with it, and before it, in
# case an earlier run left any.
wineserver -k 2>/dev/null || true
wine_cleanup() {
    local rc=$?
    wineserver -k 2>/dev/null || true
    (exit $rc)
    cleanup
}
trap wine_cleanup EXIT

# Starts the game from the scratch folder, as a double-click in Explorer
# starts it in its own folder. Ahead of other work on a busy machine (where
# permitted): below about 30 frames a second the game's update gate stands
# it still, and Wine's software-rendered Direct3D needs the processor.
# Wine reports the frame rate about once a second, for the failure report.
start_game() {
    (cd "$scratch/run" && WINEDEBUG=-all,trace+fps exec nice -n -10 wine "$POKOMARU_BINARY" >"$scratch/game.log" 2>&1) &
    game_pid=$!
    game_rc=""
}

# The X server carries every frame of the software-rendered game: it runs
# ahead of other work too (where permitted).
eval "$(declare -f start_x | sed '1s/^start_x /lib_start_x /')"
start_x() {
    lib_start_x
    renice -n -10 -p "$xvfb_pid" >/dev/null 2>&1 || true
}

# Polls once a second, not four times: every poll takes and compares a
# screenshot, and on two cores that work would take frames from the game.
wait_until() {
    local timeout=$1
    shift
    local deadline=$((SECONDS + timeout))
    while :; do
        if "$@"; then return 0; fi
        [ $SECONDS -ge $deadline ] && return 1
        sleep 1
    done
}

# The frame rate Wine last reported for the game.
game_fps() {
    [ -n "$scratch" ] && [ -f "$scratch/game.log" ] &&
        sed -n 's/.*wglSwapBuffers @ approx \([0-9.]*\)fps.*/\1/p' "$scratch/game.log" | tail -1
}

# A failure says how fast the game ran: below about 30 frames a second it
# stands still by design, and nothing it is asked to do will happen.
eval "$(declare -f fail | sed '1s/^fail /lib_fail /')"
fail() {
    local fps
    fps=$(game_fps || true)
    [ -n "$fps" ] && log "the game last drew at about $fps frames a second"
    if [ -n "$scratch" ] && [ -f "$scratch/game.log" ]; then
        # Wine's frame-rate lines and its note about 32-bit programs are noise here.
        grep -v 'trace:fps\|wine32\|multiarch\|dpkg --add-architecture\|apt-get install' "$scratch/game.log" \
            >"$scratch/game.log.short" || true
        mv "$scratch/game.log.short" "$scratch/game.log"
    fi
    lib_fail "$@"
}

# The _NET_WM_NAME of a window, as UTF-8 text.
net_wm_name() {
    xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}

# A viewable top-level window whose _NET_WM_NAME is exactly $1; prints its id.
find_window_named() {
    local want=$1 id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        if [ "$(net_wm_name "$id")" = "$want" ]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

# Mean darkness (0..1) of a region; glyphs on a light box raise it.
region_dark_fraction() {
    local img=$1 x=$2 y=$3 w=$4 h=$5 out
    out=$(convert "$img[${w}x${h}+${x}+${y}]" -colorspace gray -threshold 50% -negate -format '%[fx:mean]' info: 2>/dev/null)
    echo "${out:-0}"
}

# The number of different pixel columns (dark/light, blank ones left out) in
# a region. A line of real glyphs has many; a line of missing-glyph boxes
# has only the few columns a box is made of (edge, inside), however long.
distinct_columns() {
    local img=$1 x=$2 y=$3 w=$4 h=$5
    convert "$img[${w}x${h}+${x}+${y}]" -colorspace gray -threshold 60% -compress none pbm:- 2>/dev/null |
        awk 'NR == 1 { next }
             NR == 2 { w = $1; next }
             { for (i = 1; i <= NF; i++) { col[n % w] = col[n % w] $i; n++ } }
             END { for (c = 0; c < w; c++) if (col[c] ~ /1/) seen[col[c]] = 1
                   k = 0; for (s in seen) k++; print k }'
}

# Clicks (press, hold, release) until a condition holds, a few times at
# most: the game sees a press only in one of its updates, and software
# Direct3D under Wine on a busy machine can go a while without one. A
# press the game did not see changes nothing, so trying again is safe.
click_until() {
    local what=$1 attempt
    shift
    for attempt in 1 2 3 4 5; do
        xdotool mousedown 1
        sleep 3
        xdotool mouseup 1
        if wait_until 6 "$@"; then
            [ "$attempt" -gt 1 ] && log "$what: seen on press $attempt"
            return 0
        fi
    done
    return 1
}
