# Shared by the real-window tests: a private X server, a scratch copy of the
# game's data, the real binary started as a player starts it, and checks on
# screenshots. Sourced by each test script; every helper fails the test with
# a message (and keeps the last screenshot) instead of hanging.
#
# The tests expect from CTest:
#   POKOMARU_BINARY       the game's executable
#   POKOMARU_SOURCE_DIR   the repository root (for game/)
#   E2E_CLOSE_REQUEST     the helper that sends a window the close request
#   E2E_ARTIFACTS         where screenshots of failed tests are kept

set -euo pipefail

: "${POKOMARU_BINARY:?}" "${POKOMARU_SOURCE_DIR:?}" "${E2E_CLOSE_REQUEST:?}"
E2E_ARTIFACTS=${E2E_ARTIFACTS:-/tmp}
E2E_NAME=$(basename "$0" .sh)
ATLAS="$POKOMARU_SOURCE_DIR/game/bitmap.png"

xvfb_pid=""
wm_pid=""
game_pid=""
game_rc=""
extra_pids=()  # other clients a test starts
scratch=""
shot_n=0
last_shot=""

log() { printf '[%s] %s\n' "$E2E_NAME" "$*"; }

fail() {
    log "FAIL: $*"
    if [ -n "$last_shot" ] && [ -f "$last_shot" ]; then
        mkdir -p "$E2E_ARTIFACTS"
        cp "$last_shot" "$E2E_ARTIFACTS/$E2E_NAME-failure.png" 2>/dev/null &&
            log "last screenshot kept as $E2E_ARTIFACTS/$E2E_NAME-failure.png"
    fi
    if [ -n "$scratch" ] && [ -f "$scratch/game.log" ]; then
        log "game output:"
        sed 's/^/    /' "$scratch/game.log" >&2 || true
    fi
    exit 1
}

cleanup() {
    local rc=$?
    # Only what this test started, by process id.
    if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then kill -KILL "$game_pid" 2>/dev/null || true; fi
    local p
    for p in "${extra_pids[@]}"; do kill "$p" 2>/dev/null || true; done
    if [ -n "$wm_pid" ] && kill -0 "$wm_pid" 2>/dev/null; then kill "$wm_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    [ -n "$scratch" ] && rm -rf "$scratch"
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Polls a command every half second (WAIT_POLL) until it succeeds or the
# time (seconds) is up; on a timeout it says which condition it waited for,
# and how long.
# Below about 30 frames per second the game stands still by design, and a
# busy machine gets there: waits for the game's own progress (a scatter, a
# scene change) are long, and they end as soon as the condition holds.
wait_until() {
    local timeout=$1
    shift
    local deadline=$((SECONDS + timeout))
    while :; do
        if "$@"; then return 0; fi
        if [ $SECONDS -ge $deadline ]; then
            log "waited ${timeout} s for: $*"
            return 1
        fi
        sleep "${WAIT_POLL:-0.5}"
    done
}

# A private X server on a display number it picks itself.
start_x() {
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/pokomaru-e2e.XXXXXX")
    local fdfile="$scratch/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" >"$scratch/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_until 10 test -s "$fdfile" || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
    export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
    wait_until 10 xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
    log "X server on $DISPLAY"
}

# A light desktop window manager, as a player has one, with its stock
# settings (click to focus and raise). An empty or unreadable settings file
# is not "no settings": openbox then opens an error window in the middle of
# the screen, over the game, which takes the focus and the pointer. A
# settings folder of the test's own keeps the user's out.
start_window_manager() {
    mkdir -p "$scratch/wm-config"
    XDG_CONFIG_HOME="$scratch/wm-config" openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
    wm_pid=$!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_until 10 wm_running || fail "openbox did not take the screen: $(cat "$scratch/openbox.log")"
}

# A copy of game/ without the player's record file, and a home of its own.
make_scratch_game() {
    mkdir -p "$scratch/run/game" "$scratch/home"
    local f
    for f in "$POKOMARU_SOURCE_DIR"/game/*; do
        [ "$(basename "$f")" = data_save.dat ] && continue
        cp "$f" "$scratch/run/game/"
    done
}

# Starts the game from the scratch folder as ./run.sh does from the
# repository root, with SDL's drivers named. Extra VAR=value words in
# GAME_ENV go into its environment.
GAME_ENV=()
start_game() {
    (cd "$scratch/run" && exec env HOME="$scratch/home" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "${GAME_ENV[@]}" \
        "$POKOMARU_BINARY" >"$scratch/game.log" 2>&1) &
    game_pid=$!
    game_rc=""
}

# Waits for the game to end by itself; sets game_rc.
wait_game_exit() {
    local timeout=$1
    game_gone() { ! kill -0 "$game_pid" 2>/dev/null; }
    wait_until "$timeout" game_gone || fail "the game did not end within ${timeout} s"
    set +e
    wait "$game_pid"
    game_rc=$?
    set -e
    game_pid=""
}

# Finds a top-level window of the game whose name is exactly $1 (UTF-8, from
# _NET_WM_NAME); prints its id.
find_window_named() {
    local want=$1 id name
    for id in $(xdotool search --pid "$game_pid" 2>/dev/null; xdotool search --class pokomaru-jigsaw 2>/dev/null); do
        name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
        if [ "$name" = "$want" ]; then
            echo "$id"
            return 0
        fi
    done
    # Windows without a class hint (a message box) are found by name among
    # the root's children.
    id=$(xwininfo -root -tree 2>/dev/null | awk -v w="\"$want\":" '$2 == w { print $1; exit }')
    if [ -n "$id" ]; then
        echo "$id"
        return 0
    fi
    return 1
}

window_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Prints "width height" of a window's client area.
client_size() {
    xwininfo -id "$1" | awk '/^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print w, h }'
}

# Takes a screenshot of a window into a new file, named by SHOT (set here,
# not printed, so that the count of shots survives).
SHOT=""
shoot() {
    shot_n=$((shot_n + 1))
    SHOT="$scratch/shot-$shot_n.png"
    last_shot=$SHOT
    import -window "$1" "$SHOT" 2>/dev/null
}

# Mean colour "r g b" (0..255) of a region of an image.
region_mean() {
    local img=$1 x=$2 y=$3 w=$4 h=$5
    stream -map rgb -storage-type char -extract "${w}x${h}+${x}+${y}" "$img" - 2>/dev/null |
        od -An -v -tu1 |
        awk '{ for (i = 1; i <= NF; i++) { s[n % 3] += $i; n++ } }
             END { if (n == 0) exit 1; printf "%d %d %d\n", s[0] / (n / 3), s[1] / (n / 3), s[2] / (n / 3) }'
}

# Mean absolute difference (0..1) between the region w x h at (x, y) of one
# image and the region of the same size at (ox, oy) of another, e.g. the
# screen against the atlas: region_distance img x y w h other ox oy.
region_distance() {
    local a=$1 ax=$2 ay=$3 w=$4 h=$5 b=$6 bx=$7 by=$8 out
    out=$(compare -metric MAE "$a[${w}x${h}+${ax}+${ay}]" "$b[${w}x${h}+${bx}+${by}]" null: 2>&1 || true)
    echo "$out" | sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p'
}

# Fraction (0..1) of the pixels of a region that differ, beyond a small
# tolerance, between two images; the arguments as for region_distance.
region_changed() {
    local a=$1 ax=$2 ay=$3 w=$4 h=$5 b=$6 bx=$7 by=$8 out
    out=$(compare -metric AE -fuzz 4% "$a[${w}x${h}+${ax}+${ay}]" "$b[${w}x${h}+${bx}+${by}]" null: 2>&1 || true)
    awk -v n="$out" -v t="$((w * h))" 'BEGIN { printf "%.4f\n", n / t }'
}

# Floating-point comparisons for the checks.
lt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
gt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# The background of the lower band at a screen point: the game tiles the
# atlas's top-left 256 x 116 over rows 568 and 684 (upper rows: the atlas
# itself). Prints the atlas point that should show there.
background_source() {
    local x=$1 y=$2
    if [ "$y" -lt 568 ]; then
        echo "$x $y"
    elif [ "$y" -lt 684 ]; then
        echo "$((x % 256)) $((y - 568))"
    else
        echo "$((x % 256)) $((y - 684))"
    fi
}

# Distance of a screen patch from the background that belongs there; the
# patch must not cross a tile edge.
background_distance() {
    local img=$1 x=$2 y=$3 w=$4 h=$5 src
    src=$(background_source "$x" "$y")
    region_distance "$img" "$x" "$y" "$w" "$h" "$ATLAS" ${src% *} ${src#* }
}

# The game looks at the mouse button only in a scene update, and it updates
# only while it keeps its frame rate: on a busy machine it may stand still
# for a while. So a press is held until the game shows that it saw it, and
# a press that went unseen (say, before the piece under the pointer became
# the candidate) is let go and made again, within a generous total time.
# A screenshot and its comparison cost the machine more than a frame, so
# while the button is held they are taken only once a second: polling any
# faster would itself keep the game below its frame rate.
# Returns with the button held: press_until TOTAL TRY condition...
press_until() {
    local total=$1 try=$2
    shift 2
    local deadline=$((SECONDS + total))
    while :; do
        xdotool mousedown 1
        if WAIT_POLL=1 wait_until "$try" "$@"; then return 0; fi
        xdotool mouseup 1
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.3
    done
}

# Pointer and keys. Without a window manager the window gets the keyboard
# by windowfocus (windowactivate needs one).
focus_window() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
pointer_to() { xdotool mousemove --window "$1" "$2" "$3"; }
# Moves in a few steps, as a hand does, so that the game sees the motion.
drag_to() {
    local win=$1 fx=$2 fy=$3 tx=$4 ty=$5 steps=${6:-8} i
    for i in $(seq 1 "$steps"); do
        xdotool mousemove --window "$win" $((fx + (tx - fx) * i / steps)) $((fy + (ty - fy) * i / steps))
        sleep 0.06
    done
}
