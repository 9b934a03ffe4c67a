#!/usr/bin/env bash
# The Debian package as a player gets it: made by CPack from this build,
# checked by lintian, installed with dpkg into a scratch root whose path
# holds a space, and started through its menu entry's Exec line in a real X
# server as a user with an empty home. A whole mascot game is played by
# window input to a new best time, which lands in the player's folder; the
# package installed again over itself (an upgrade) keeps it, and the next
# start shows it on the title.
source "$POKOMARU_SOURCE_DIR/tests/e2e/lib.sh"
: "${POKOMARU_BUILD_DIR:?}" "${LOOSE_MASCOTS:?}"

start_x

# --- The package -------------------------------------------------------------
(cd "$POKOMARU_BUILD_DIR" && cpack -G DEB -B "$scratch/dist") >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
deb=$(ls "$scratch"/dist/pokomaru-jigsaw_*_amd64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "cpack made no pokomaru-jigsaw_<version>_amd64.deb: $(ls "$scratch/dist")"
log "package $(basename "$deb")"
lintian "$deb" >"$scratch/lintian.log" 2>&1 || true
if grep -q '^E:' "$scratch/lintian.log"; then fail "lintian reports errors: $(grep '^E:' "$scratch/lintian.log")"; fi
grep '^W:' "$scratch/lintian.log" | sed 's/^/    lintian /' || true
# What the package needs is on this machine, as apt would have made sure.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in $(tr ',' '\n' <<<"$depends" | sed 's/(.*)//; s/|.*//' | tr -d ' '); do
    dpkg-query -W -f='${Status}' "$dep" 2>/dev/null | grep -q 'install ok installed' ||
        fail "the package depends on $dep, which is not installed here"
done
grep -q 'fonts-ipafont-gothic' <<<"$depends" && grep -q 'libsdl2-2.0-0' <<<"$depends" ||
    fail "the dependencies lack the fonts or the libraries: $depends"
log "lintian: no errors; depends on $depends"

# --- Installed into a scratch root by dpkg -----------------------------------
root="$scratch/scratch root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg_install() {
    # The root's own database knows none of the host's packages, so the
    # dependencies (checked above against the host) are not looked for there.
    dpkg --root="$root" --force-depends -i "$deb" >"$scratch/dpkg.log" 2>&1 ||
        fail "dpkg could not install the package: $(cat "$scratch/dpkg.log")"
}
dpkg_install
desktop="$root/usr/share/applications/pokomaru-jigsaw.desktop"
[ -f "$desktop" ] || fail "the package installed no menu entry"
ATLAS="$root/usr/share/pokomaru-jigsaw/game/bitmap.png"
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ *%[fFuUick]//g')
log "installed; the menu entry runs '$exec_line'"

home="$scratch/player home"
mkdir -p "$home"
record="$home/.local/share/pokomaru-jigsaw/game/data_save.dat"

# Starts the game as the desktop does: the Exec line through the shell, from
# the home folder, with the installed games folder on the PATH.
start_from_menu() {
    (cd "$home" && exec env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$root/usr/games:/usr/bin:/bin" \
        SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ${SDL_RENDER_DRIVER:+SDL_RENDER_DRIVER=$SDL_RENDER_DRIVER} sh -c "exec $exec_line" >"$scratch/game.log" 2>&1) &
    game_pid=$!
    wid=""
    find_main() { wid=$(find_window_named "ぽこ丸ジグゾー") && window_viewable "$wid"; }
    wait_until 20 find_main || fail "no viewable window titled ぽこ丸ジグゾー appeared"
    focus_window "$wid"
}

title_drawn() {
    shoot "$wid" || return 1
    lt "$(background_distance "$SHOT" 100 700 40 40)" 0.01 &&
        gt "$(region_changed "$SHOT" 7 7 1013 559 "$ATLAS" 7 7)" 0.35
}

close_game() {
    "$E2E_CLOSE_REQUEST" "$wid" || fail "the close request could not be sent"
    wait_game_exit 15
    [ "$game_rc" = 0 ] || fail "the game ended with code $game_rc"
}

# --- First start: window, title, icon; no record yet ------------------------
start_from_menu
xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the window has no 32 x 32 _NET_WM_ICON"
xprop -id "$wid" WM_CLASS | grep -q '"pokomaru-jigsaw"' || fail "WM_CLASS does not match the menu entry's StartupWMClass"
pointer_to "$wid" 100 700
wait_until 20 title_drawn || fail "the title screen was not drawn"
first_title=$SHOT
[ ! -e "$record" ] || fail "a record file exists before any game"
[ -L "$home/.local/share/pokomaru-jigsaw/game/bitmap.png" ] || fail "the player's folder was not prepared"
log "window with title, icon and class; title drawn; no record yet"

# --- A mascot game played to the end by dragging every piece home -----------
hint_shown() { shoot "$wid" && lt "$(region_distance "$SHOT" 984 24 10 10 "$ATLAS" 80 1640)" 0.01; }
pointer_to "$wid" 640 632
sleep 0.5
xdotool mousedown 1
sleep 0.5
xdotool mouseup 1
wait_until 60 hint_shown || fail "the mascot game did not reach play"

# Drags one piece home: over it long enough for the game to make it the
# candidate, pressed long enough for an update to see the press, released on
# its home centre; then waits for the count of pieces left to change (the
# game placed it) before the pointer leaves (a drop is judged where the pointer is at the next update,
# and a busy machine may hold updates back). A drag that did not take is
# repeated from the piece's cell, which is harmless whatever the game saw:
# a piece still held is let go there and picked up again. The pauses grow
# with every repetition.
pause() { sleep "$(awk -v t="$1" -v k="$slow" 'BEGIN { printf "%.2f", t * k / 100 }')"; }
drag_home() {
    local px=$1 py=$2 hx=$3 hy=$4 try count
    count=$("$LOOSE_MASCOTS" --count "$wid") || fail "the window cannot be read"
    slow=1
    for try in 1 2 3 4 5 6; do
        pointer_to "$wid" "$px" "$py"
        pause 10
        pointer_to "$wid" $((px + 1)) "$py"
        pause 10
        xdotool mousedown 1
        pause 12
        pointer_to "$wid" $(((px + hx) / 2)) $(((py + hy) / 2))
        pause 4
        pointer_to "$wid" "$hx" "$hy"
        pause 12
        xdotool mouseup 1
        # The last piece takes the game on to the clear screen and the record.
        if "$LOOSE_MASCOTS" --wait-count "$wid" "$count" "$try" || [ -e "$record" ]; then
            tries=$((tries + try))
            return 0
        fi
        slow=$((slow * 2))
    done
    log "piece at ($px, $py) not placed after $try drags"
}
started=$SECONDS
tries=0
pass=0
while [ ! -e "$record" ]; do
    pass=$((pass + 1))
    [ $pass -le 3 ] || fail "after 3 passes pieces are still loose and no record was written"
    pointer_to "$wid" 1000 740  # off every piece, so none is drawn as the candidate
    sleep 0.3
    shoot "$wid"
    moves=$("$LOOSE_MASCOTS" "$SHOT" "$ATLAS") || fail "the loose pieces could not be read from the screen"
    n=$(grep -c . <<<"$moves" || true)
    log "pass $pass: $n loose pieces"
    [ "$n" -gt 0 ] || { wait_until 20 test -e "$record" || fail "no piece is loose but no record was written"; break; }
    while read -r move; do
        drag_home $move
    done <<<"$moves"
    wait_until 10 test -e "$record" || true
done
log "game finished in $((SECONDS - started)) s of dragging, $tries drags"

wait_until 5 test -s "$record" || fail "the record file is empty"
read -r m0 s0 m1 s1 < <(od -An -tu1 "$record")
[ "$(stat -c %s "$record")" = 4 ] || fail "the record file is not four bytes"
[ "$m0 $s0" = "59 59" ] || fail "the municipality mode has a record ($m0:$s0) without a game"
mascot_seconds=$((m1 * 60 + s1))
[ "$mascot_seconds" -gt 0 ] && [ "$mascot_seconds" -lt 3599 ] || fail "the mascot record is $m1:$s1"
log "new record ${m1} min ${s1} s in $record"
close_game

# --- An upgrade keeps the record ---------------------------------------------
before=$(od -An -tu1 "$record")
dpkg_install
[ "$(od -An -tu1 "$record")" = "$before" ] || fail "installing the package again changed the record"
grep -q '^Status: install ok installed' "$root/var/lib/dpkg/status" || fail "dpkg does not list the package as installed"
log "package installed again over itself; the record is kept"

# --- Second start: the record shows on the title ----------------------------
start_from_menu
pointer_to "$wid" 100 700
wait_until 20 title_drawn || fail "the title screen was not drawn on the second start"
# The mascot best time (row 48) changed from 59:59; the municipality one (row 24) did not.
mascot_line=$(region_changed "$SHOT" 880 48 100 18 "$first_title" 880 48)
muni_line=$(region_changed "$SHOT" 880 24 100 18 "$first_title" 880 24)
gt "$mascot_line" 0.02 || fail "the title does not show the new mascot best time (changed $mascot_line)"
lt "$muni_line" 0.01 || fail "the municipality best time changed on the title ($muni_line)"
log "the title shows the record (mascot line changed $mascot_line, municipality line $muni_line)"
cp "$SHOT" "$E2E_ARTIFACTS/package-title-with-record.png" 2>/dev/null || true
close_game
