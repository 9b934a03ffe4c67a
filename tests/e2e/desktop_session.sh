#!/usr/bin/env bash
# The game on a desktop with a window manager (openbox): the frame around the
# window, focus that moves away and back with a click, a mascot game up to
# play with its hint button, Escape, and Alt+F4 ending the game with code 0.
source "$(dirname "$0")/lib.sh"

start_x
start_window_manager
make_scratch_game
start_game

wid=""
find_main() { wid=$(find_window_named "ぽこ丸ジグゾー") && window_viewable "$wid"; }
wait_until 30 find_main || fail "no viewable window titled ぽこ丸ジグゾー appeared"

# The window manager frames the window; the client area stays 1024 x 768.
framed() { xprop -id "$wid" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }
wait_until 30 framed || fail "the window manager put no frame around the window"
extents=$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed 's/.*= //')
read -r cw ch < <(client_size "$wid")
[ "$cw" = 1024 ] && [ "$ch" = 768 ] || fail "client area is ${cw} x ${ch} inside the frame, not 1024 x 768"
log "framed ($extents), client 1024 x 768"

active_window() { xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //'; }
is_active() { [ "$(printf '%d' "$(active_window)")" = "$(printf '%d' "$1")" ]; }
wait_until 30 is_active "$wid" || fail "the new window did not get the focus"

muni_patch() { region_distance "$1" 323 620 14 24 "$ATLAS" 3 1508; }
mascot_patch() { region_distance "$1" 579 620 14 24 "$ATLAS" 3 1508; }
button_lit() { lt "$1" 0.004; }
button_faded() { gt "$1" 0.008; }
state_is() {  # muni mascot: lit or faded
    local s
    shoot "$wid" || return 1
    s=$SHOT
    "button_$1" "$(muni_patch "$s")" && "button_$2" "$(mascot_patch "$s")"
}

pointer_to "$wid" 100 700
wait_until 30 state_is faded faded || fail "with the pointer away, the buttons are not both faded"

# Another window takes the focus: the game stands still while inactive, so
# hovering a button no longer lights it, although the game keeps drawing.
xmessage -geometry +20+20 "another window" 2>/dev/null &
extra_pids+=("$!")
other=""
find_other() { other=$(xdotool search --onlyvisible --classname xmessage 2>/dev/null | head -1) && [ -n "$other" ]; }
wait_until 30 find_other || fail "the other window did not appear"
xdotool windowactivate --sync "$other" 2>/dev/null || true
wait_until 30 is_active "$other" || fail "the other window did not take the focus"
pointer_to "$wid" 640 632
# A negative check: a second in which an active game would have lit the
# button (it did so below within far less when active).
sleep 1
state_is faded faded || fail "an inactive game reacted to the pointer"
log "inactive: the mascot button does not react"

# A click on the inactive window activates it; then the button lights.
xdotool click 1
wait_until 30 is_active "$wid" || fail "a click did not give the game the focus"
wait_until 30 state_is faded lit || fail "after activation the hovered mascot button is not lit"
log "a click activated the game; the mascot button lights"

# A mascot game: press and release on the button, scatter, then play with
# the hint button drawn at (976, 16) (its opaque middle is compared).
# The press is held until the button shows its pressed picture: the game
# sees a press only in a scene update, and on a busy machine it may stand
# still for a while.
mascot_pressed() {
    shoot "$wid" || return 1
    lt "$(region_distance "$SHOT" 579 620 14 24 "$ATLAS" 3 1580)" 0.004
}
press_until 40 10 mascot_pressed || fail "the mascot button never looked pressed while the button was held (40 s)"
xdotool mouseup 1
hint_shown() {
    shoot "$wid" || return 1
    lt "$(region_distance "$SHOT" 984 24 10 10 "$ATLAS" 80 1640)" 0.01
}
wait_until 60 hint_shown || fail "the mascot game's hint button did not appear within 60 s of the release"
log "mascot game in play"
# Every mascot left home: the hint button held shows their pictures at
# their homes instead of the plain markers.
shoot "$wid"
before_hint=$SHOT
pointer_to "$wid" 988 30
hint_held() {
    shoot "$wid" || return 1
    lt "$(region_distance "$SHOT" 984 24 10 10 "$ATLAS" 112 1640)" 0.01 &&
        gt "$(region_changed "$SHOT" 7 7 900 559 "$before_hint" 7 7)" 0.005
}
press_until 30 5 hint_held || { xdotool mouseup 1; fail "holding the hint button did not show the mascots at home within 30 s"; }
xdotool mouseup 1
log "the hint button shows the mascots at home"

xdotool key Escape
title_again() { state_is faded faded && gt "$(region_changed "$SHOT" 7 7 1013 559 "$ATLAS" 7 7)" 0.35; }
wait_until 30 title_again || fail "Escape did not bring back the title"
log "Escape returned to the title"

# Alt+F4, as a desktop user closes a window.
xdotool key alt+F4
wait_game_exit 20
[ "$game_rc" = 0 ] || fail "the game ended with code $game_rc"
log "Alt+F4 closed the game; exit code 0"
