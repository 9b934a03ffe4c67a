#!/usr/bin/env bash
# `cmake --install` to a prefix with a space in it: every file where a
# desktop looks for it, the data the same as the game's, the menu entry and
# the AppStream metadata valid, the icons at their theme sizes, the manual
# page readable.
source "$(dirname "$0")/lib.sh"

prefix="$pkg_scratch/prefix dir/usr"
install_tree "$prefix"
share="$prefix/share"

[ -x "$prefix/games/pokomaru-jigsaw" ] || pfail "no launcher in games/"
[ -x "$prefix/libexec/pokomaru-jigsaw/pokomaru-jigsaw" ] || pfail "no program in libexec/pokomaru-jigsaw/"
for f in bitmap.png wave00.wav wave01.wav wave02.wav wave03.wav wave04.wav; do
    cmp -s "$share/pokomaru-jigsaw/game/$f" "$POKOMARU_SOURCE_DIR/game/$f" || pfail "installed game/$f differs from the game's"
done
[ ! -e "$share/pokomaru-jigsaw/game/data_save.dat" ] || pfail "a record file was installed into the read-only data"
plog "launcher, program and data in place"

desktop="$share/applications/pokomaru-jigsaw.desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || pfail "desktop-file-validate: $out"
grep -qx 'Name\[ja\]=ぽこ丸ジグゾー' "$desktop" || pfail "the menu entry has no Japanese name ぽこ丸ジグゾー"
grep -q '^Categories=.*Game;' "$desktop" && grep -q '^Categories=.*Education;' "$desktop" ||
    pfail "the menu entry is not in both Game and Education"
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/games/$exec_cmd" ] || pfail "the menu entry runs '$exec_cmd', which is not the installed launcher"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/$icon.png"
    [ -f "$png" ] || pfail "no ${size}x${size} icon named $icon"
    got=$(identify -format '%wx%h' "$png") || pfail "the ${size}x${size} icon is no picture"
    [ "$got" = "${size}x${size}" ] || pfail "the ${size}x${size} icon is $got"
done
plog "menu entry valid (Exec=$exec_cmd, Icon=$icon at six sizes)"

metainfo=$(ls "$share/metainfo/"*.metainfo.xml)
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || pfail "appstreamcli validate: $out"
grep -q '<launchable type="desktop-id">pokomaru-jigsaw.desktop</launchable>' "$metainfo" ||
    pfail "the metadata does not launch the installed menu entry"
grep -q '<image>[^<]*/screenshots/play.png</image>' "$metainfo" || pfail "the metadata names no screenshot"
[ "$(identify -format '%wx%h' "$share/pokomaru-jigsaw/screenshots/play.png")" = 1024x768 ] ||
    pfail "the installed screenshot is not a 1024 x 768 picture of the window"
plog "AppStream metadata valid"

page=$(MANWIDTH=80 man -l "$share/man/man6/pokomaru-jigsaw.6.gz" 2>&1) || pfail "man cannot read the page: $page"
for want in "pokomaru-jigsaw - map jigsaw" "data_save.dat" "XDG_DATA_HOME"; do
    grep -q -- "$want" <<<"$page" || pfail "the manual page lacks '$want'"
done
[ -f "$share/doc/pokomaru-jigsaw/copyright" ] || pfail "no copyright file"
plog "manual page and copyright in place"
