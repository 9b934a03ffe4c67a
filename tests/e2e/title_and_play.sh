#!/usr/bin/env bash
# A whole session in a real X server without a window manager: the window
# and its title, the title screen, hover on a mode button, a municipality
# game's scatter and play, one piece picked up and dropped, Escape back to
# the title, a resized window whose mouse mapping follows, and a proper
# close with exit code 0.
source "$(dirname "$0")/lib.sh"

start_x
make_scratch_game
start_game

wid=""
find_main() { wid=$(find_window_named "ぽこ丸ジグゾー") && window_viewable "$wid"; }
wait_until 30 find_main || fail "no viewable window titled ぽこ丸ジグゾー appeared"
log "window $wid"

# Every taskbar reads the title: the legacy WM_NAME and WM_ICON_NAME hold it
# as compound text (raw UTF-8 in a STRING shows as mojibake), like
# _NET_WM_NAME in UTF-8.
legacy_title() {
    [ "$(LC_ALL=C.UTF-8 xprop -id "$wid" WM_NAME)" = 'WM_NAME(COMPOUND_TEXT) = "ぽこ丸ジグゾー"' ] &&
        [ "$(LC_ALL=C.UTF-8 xprop -id "$wid" WM_ICON_NAME)" = 'WM_ICON_NAME(COMPOUND_TEXT) = "ぽこ丸ジグゾー"' ]
}
wait_until 30 legacy_title ||
    fail "the legacy title is not compound text: $(LC_ALL=C.UTF-8 xprop -id "$wid" WM_NAME WM_ICON_NAME 2>&1)"

read -r cw ch < <(client_size "$wid")
[ "$cw" = 1024 ] && [ "$ch" = 768 ] || fail "client area is ${cw} x ${ch}, not 1024 x 768"

# --- Title: background, the map in its rectangle, the buttons ---------------
title_drawn() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    # The band's background tile between the buttons and the left edge.
    lt "$(background_distance "$s" 100 700 40 40)" 0.01 || return 1
    lt "$(background_distance "$s" 200 575 40 20)" 0.01 || return 1
    # The solved map covers much of its rectangle (7,7)-(1020,566).
    gt "$(region_changed "$s" 7 7 1013 559 "$ATLAS" 7 7)" 0.35 || return 1
    title_shot=$s
}
wait_until 30 title_drawn || fail "the title screen was not drawn"
map_on_title=$(region_changed "$title_shot" 7 7 1013 559 "$ATLAS" 7 7)
log "title drawn; map covers $map_on_title of its rectangle"

# The button picture without its caption: a patch left of the caption.
# Opaque it is the atlas's button picture; faded (alpha 180) it is not.
muni_patch() { region_distance "$1" 323 620 14 24 "$ATLAS" 3 1508; }
mascot_patch() { region_distance "$1" 579 620 14 24 "$ATLAS" 3 1508; }
button_lit() { lt "$1" 0.004; }
button_faded() { gt "$1" 0.008; }

focus_window "$wid"
pointer_to "$wid" 100 700
both_faded() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    button_faded "$(muni_patch "$s")" && button_faded "$(mascot_patch "$s")"
}
wait_until 30 both_faded || fail "with the pointer away, the mode buttons are not both faded (muni $(muni_patch "$last_shot"), mascot $(mascot_patch "$last_shot"))"

pointer_to "$wid" 384 632
muni_lit() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    button_lit "$(muni_patch "$s")" && button_faded "$(mascot_patch "$s")"
}
wait_until 30 muni_lit || fail "hovering the municipality button does not light it (muni $(muni_patch "$last_shot"))"
log "hover lights the municipality button"

# --- Press and release on it: scatter, then play ----------------------------
band_before=$last_shot
# The press is held until the button shows its pressed picture (a quick tap
# between two updates is, by design, no press); the release starts a game.
muni_pressed() {
    shoot "$wid" || return 1
    lt "$(region_distance "$SHOT" 323 620 14 24 "$ATLAS" 3 1580)" 0.004
}
press_until 40 10 muni_pressed || fail "the municipality button never looked pressed while the button was held (40 s)"
xdotool mouseup 1
scattering() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    gt "$(region_changed "$s" 0 580 1024 188 "$band_before" 0 580)" 0.10
}
wait_until 60 scattering || fail "the pieces did not fly into the lower band (changed $(region_changed "$last_shot" 0 580 1024 188 "$band_before" 0 580))"
log "scatter under way"

# Play shows "残り個数：" at (632, 24), where the title has only background.
playing() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    gt "$(background_distance "$s" 632 26 64 16)" 0.02 || return 1
    play_shot=$s
}
wait_until 60 playing || fail "the play scene's counters did not appear"
map_in_play=$(region_changed "$play_shot" 7 7 1013 420 "$ATLAS" 7 7)
log "playing; the upper map area is covered by $map_in_play"
lt "$map_in_play" 0.2 || fail "the map's rows above the band still hold pieces in play ($map_in_play)"

# --- Pick up one piece and drop it elsewhere --------------------------------
# After the scatter the municipality pieces are centred on the cells of a
# grid of 16 columns (x = 32 + 64c) and rows at y = 548, 616, 684; take a
# cell where the screen shows a piece over the background.
px="" py=""
for r in 0 1 2; do
    for c in $(seq 0 15); do
        x=$((32 + 64 * c)) y=$((548 + 68 * r))
        sy=$((y - 3))
        [ "$r" = 2 ] && sy=$((y + 2))  # keep the patch off the tile edge at 684
        if gt "$(background_distance "$play_shot" $((x - 3)) $sy 6 6)" 0.05; then
            px=$x py=$y
            break 2
        fi
    done
done
[ -n "$px" ] || fail "no scattered piece found on the grid"
log "a piece lies at ($px, $py)"

pointer_to "$wid" "$px" "$py"
shoot "$wid"; before_pickup=$SHOT
# A held piece shows its info panel at the top left; the piece must be the
# candidate under the pointer before a press picks it up.
panel_shown() {
    shoot "$wid" || return 1
    gt "$(region_changed "$SHOT" 0 0 400 140 "$before_pickup" 0 0)" 0.005
}
press_until 60 6 panel_shown || fail "pressing on the piece at ($px, $py) never picked it up (no info panel within 60 s)"
drag_to "$wid" "$px" "$py" 300 300
follows() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    gt "$(region_changed "$s" 250 250 100 100 "$before_pickup" 250 250)" 0.05
}
wait_until 30 follows || fail "the held piece does not follow the pointer"
log "the held piece follows the pointer"
drag_to "$wid" 300 300 560 300
# Let go only once the piece is drawn where the pointer is.
at_destination() {
    shoot "$wid" || return 1
    gt "$(region_changed "$SHOT" 510 250 100 100 "$before_pickup" 510 250)" 0.05
}
wait_until 30 at_destination || { xdotool mouseup 1; fail "the held piece did not reach (560, 300)"; }
xdotool mouseup 1
dropped() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    # Left behind at (300, 300), lying at (560, 300). (Whether its cell looks
    # empty depends on the scatter: other pieces may share the cell.)
    lt "$(region_changed "$s" 250 250 100 100 "$before_pickup" 250 250)" 0.01 || return 1
    gt "$(region_changed "$s" 510 250 100 100 "$before_pickup" 510 250)" 0.05
}
wait_until 30 dropped || fail "the piece was not dropped where it was let go"
log "the piece was dropped"

# --- Escape: the solved map again --------------------------------------------
xdotool key Escape
back_on_title() {
    local s
    shoot "$wid" || return 1; s=$SHOT
    lt "$(region_changed "$s" 7 100 1013 466 "$title_shot" 7 100)" 0.01
}
wait_until 30 back_on_title || fail "Escape did not bring back the title with the solved map"
log "Escape returned to the title"

# --- Resized window: the picture is stretched and the mapping follows -------
xdotool windowsize "$wid" 800 600
resized() { [ "$(client_size "$wid")" = "800 600" ]; }
wait_until 30 resized || fail "the window did not take the size 800 x 600"
# The mascot button (576..704, 600..664) now lies at client (450..550,
# 469..519). Just right of it the pointer is beside the button; on it, the
# button lights: opaque, its face no longer shows the band through it, so
# its colour moves clearly away from the faded one (which way depends on the
# button's picture).
pointer_to "$wid" 562 494
# The baseline is taken once the stretched picture has settled: two shots
# in a row agree beside the button.
settled() {
    shoot "$wid" || return 1
    local a=$SHOT
    sleep 0.2
    shoot "$wid" || return 1
    lt "$(region_changed "$SHOT" 400 460 200 80 "$a" 400 460)" 0.001
}
wait_until 30 settled || fail "the resized picture did not settle beside the mascot button"
s_off=$SHOT
off_mean=$(region_mean "$s_off" 455 487 8 14)
pointer_to "$wid" 500 494
lit_scaled() {
    local s on
    shoot "$wid" || return 1; s=$SHOT
    on=$(region_mean "$s" 455 487 8 14)
    awk -v a="$on" -v b="$off_mean" 'BEGIN { split(a, p, " "); split(b, q, " ");
        d = (p[1] + p[2] + p[3]) - (q[1] + q[2] + q[3]); exit !(d > 6 || d < -6) }'
}
wait_until 30 lit_scaled || fail "hovering the mascot button at its scaled place does not light it (off $off_mean, on $(region_mean "$last_shot" 455 487 8 14))"
log "after the resize the mascot button lights at its scaled place"

# --- Close: the window's close request ends the game with code 0 ------------
"$E2E_CLOSE_REQUEST" "$wid" || fail "the close request could not be sent"
wait_game_exit 20
[ "$game_rc" = 0 ] || fail "the game ended with code $game_rc"
log "closed; exit code 0"
