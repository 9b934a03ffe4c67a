#!/usr/bin/env bash
# The game on a desktop with a window manager (openbox): the frame around the
# window, focus that moves away and back with a click, a mascot game up to
# play with its hint button, a mascot picked up, dragged home and placed by
# hand, Escape, and Alt+F4 ending the game with code 0.
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

# "Faded" is only "not the button's picture", which a window not yet drawn
# also is: first the title, whose municipality button starts lit.
title_drawn() {
    shoot "$wid" || return 1
    lt "$(background_distance "$SHOT" 100 700 40 40)" 0.01 &&
        gt "$(region_changed "$SHOT" 7 7 1013 559 "$ATLAS" 7 7)" 0.35
}
wait_until 20 title_drawn || fail "the title screen was not drawn"
pointer_to "$wid" 100 700
wait_until 30 state_is faded faded || fail "with the pointer away, the buttons are not both faded"
title_shot=$SHOT  # every mascot drawn at home, as a placed one is

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

# One mascot dragged home by hand, under the window manager. Each step waits
# until the screen shows that the game has seen the one before: the game
# updates only in frames that follow a full pace, so on a busy machine it
# may stand still for a while, and a step taken early is lost (a press
# picks a piece up only once the piece under the pointer is the candidate;
# a release is judged where the pointer is at the next update).
# The band of loose mascots is read from one screenshot; the pointer is on
# the hint button, off every piece, so none is drawn as the candidate.
shoot "$wid"
band=$SHOT
moves=$("$LOOSE_MASCOTS" "$band" "$ATLAS") || fail "the loose mascots could not be read from the screen"
# One whose home lies below the title's caption and the info panel, and
# apart from every other home (the title, to compare with, draws them all).
read -r px py hx hy ax ay <<<"$(awk '{ l[NR] = $0; x[NR] = $3; y[NR] = $4 }
    END { for (i = 1; i <= NR; i++) { if (y[i] < 260) continue; ok = 1
            for (j = 1; j <= NR; j++) if (j != i && (x[i] - x[j])^2 < 34^2 && (y[i] - y[j])^2 < 34^2) ok = 0
            if (ok) { print l[i]; exit } } }' <<<"$moves")"
[ -n "$ay" ] || fail "no loose mascot found in the band"
count=$("$LOOSE_MASCOTS" --count "$wid") || fail "the window cannot be read"
# The 32 x 32 square of the mascot at a point of the screen, compared with
# the same square of an earlier screenshot: a loose mascot is drawn at alpha
# 192, the candidate, the held and a placed one opaque, so it changes with
# each step although the portrait is partly transparent.
square_changed() { region_changed "$SHOT" $(($1 - 16)) $(($2 - 16)) 32 32 "$3" $(($1 - 16)) $(($2 - 16)); }
candidate() { shoot "$wid" && gt "$(square_changed "$px" "$py" "$band")" 0.05; }
pointer_to "$wid" "$px" "$py"
wait_until 30 candidate || fail "the mascot under the pointer at ($px, $py) did not become the candidate"
before_press=$SHOT
panel_shown() { shoot "$wid" && gt "$(region_changed "$SHOT" 0 0 320 48 "$before_press" 0 0)" 0.02; }
press_until 30 5 panel_shown || fail "pressing on the candidate did not pick it up (no info panel)"
drag_to "$wid" "$px" "$py" "$hx" "$hy"
# The middle 20 x 20 of the mascot's home against the title, which shows
# every mascot at home: held there it is much like it (the slot marker
# beneath shows through the portrait's clear parts); with only the marker
# there, it is wholly unlike.
home_vs_title() { region_changed "$SHOT" $((hx - 10)) $((hy - 10)) 20 20 "$title_shot" $((hx - 10)) $((hy - 10)); }
held_at_home() { shoot "$wid" && lt "$(home_vs_title)" 0.5; }
WAIT_POLL=1 wait_until 30 held_at_home || { xdotool mouseup 1; fail "the held mascot did not follow the pointer to its home ($hx, $hy): $(home_vs_title) unlike the title"; }
held_vs_title=$(home_vs_title)
xdotool mouseup 1
"$LOOSE_MASCOTS" --wait-count "$wid" "$count" 30 || fail "the count of pieces left did not change after the drop at home"
# With the pointer gone a placed mascot looks at home exactly as on the title
# (a loose one there would fade to alpha 192), and its cell in the band is
# empty.
pointer_to "$wid" 1000 740
placed() { shoot "$wid" && lt "$(home_vs_title)" 0.02 && gt "$(square_changed "$px" "$py" "$band")" 0.05; }
wait_until 30 placed || fail "the mascot is not shown placed at its home ($hx, $hy)"
log "a mascot picked up at ($px, $py) was dragged home to ($hx, $hy) and placed (home unlike the title: held $held_vs_title, placed $(home_vs_title))"

xdotool key Escape
title_again() { state_is faded faded && gt "$(region_changed "$SHOT" 7 7 1013 559 "$ATLAS" 7 7)" 0.35; }
wait_until 30 title_again || fail "Escape did not bring back the title"
log "Escape returned to the title"

# Alt+F4, as a desktop user closes a window.
xdotool key alt+F4
wait_game_exit 20
[ "$game_rc" = 0 ] || fail "the game ended with code $game_rc"
log "Alt+F4 closed the game; exit code 0"
