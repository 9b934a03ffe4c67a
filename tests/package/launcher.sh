#!/usr/bin/env bash
# The installed launcher prepares the player's folder and starts the game
# there. The program is replaced by a stand-in that reports where it was
# started and what its game/ folder holds, so every case runs in a moment
# and without a window: the default and the XDG folder, paths with spaces,
# the player's record left alone, links renewed after an upgrade, and a
# folder that cannot be made (the game starts anyway and says why).
source "$(dirname "$0")/lib.sh"

prefix="$pkg_scratch/root dir/usr"
install_tree "$prefix"
launcher="$prefix/games/pokomaru-jigsaw"
share=$(readlink -f "$prefix/share/pokomaru-jigsaw")
report="$pkg_scratch/report"
cat >"$prefix/libexec/pokomaru-jigsaw/pokomaru-jigsaw" <<'STUB'
#!/bin/sh
{
    echo "cwd=$(pwd)"
    echo "args=$*"
    for f in game/*; do echo "$f -> $(readlink -f "$f")"; done
} >"$STUB_REPORT"
exit "${STUB_EXIT:-0}"
STUB
export STUB_REPORT=$report
mkdir -p "$pkg_scratch/tmp"
export TMPDIR="$pkg_scratch/tmp"

# Runs the launcher in a clean environment plus the given assignments;
# stdout and stderr go to files, the exit code to $rc.
run_launcher() {
    rm -f "$report"
    set +e
    env -i PATH=/usr/bin:/bin STUB_REPORT="$report" TMPDIR="$TMPDIR" "$@" "$launcher" --first "two words" \
        >"$pkg_scratch/out" 2>"$pkg_scratch/err"
    rc=$?
    set -e
}

# The game ran in "$1" with every data file linked to the installed one.
expect_started_in() {
    [ -f "$report" ] || pfail "the game was not started (stderr: $(cat "$pkg_scratch/err"))"
    grep -qxF "cwd=$1" "$report" || pfail "the game started in $(sed -n 's/^cwd=//p' "$report"), not $1"
    grep -qxF "args=--first two words" "$report" || pfail "the arguments were not passed on: $(grep args= "$report")"
    local f
    for f in bitmap.png wave00.wav wave01.wav wave02.wav wave03.wav wave04.wav; do
        grep -qxF "game/$f -> $share/game/$f" "$report" || pfail "game/$f does not lead to the installed file"
    done
}

# --- The default folder under HOME, created on first start ------------------
home="$pkg_scratch/home of player"
mkdir -p "$home"
run_launcher HOME="$home"
[ "$rc" = 0 ] || pfail "exit code $rc"
folder="$home/.local/share/pokomaru-jigsaw"
expect_started_in "$folder"
[ ! -s "$pkg_scratch/err" ] || pfail "a normal start wrote to standard error: $(cat "$pkg_scratch/err")"
[ ! -e "$folder/game/data_save.dat" ] || pfail "the launcher made a record file"
plog "first start: $folder prepared"

# --- The record is the player's; links are renewed at every start -----------
printf '\001\002\003\004' >"$folder/game/data_save.dat"
touch -d '2020-01-01 00:00' "$folder/game/data_save.dat"
before=$(stat -c '%Y %s' "$folder/game/data_save.dat")
ln -sfn /nonexistent/bitmap.png "$folder/game/bitmap.png"  # an older installation's path
rm "$folder/game/wave03.wav"
echo stale >"$folder/game/wave04.wav"
run_launcher HOME="$home" STUB_EXIT=3
[ "$rc" = 3 ] || pfail "the game's exit code 3 came back as $rc"
expect_started_in "$folder"
[ "$(stat -c '%Y %s' "$folder/game/data_save.dat")" = "$before" ] || pfail "the launcher touched the record file"
[ "$(od -An -tu1 "$folder/game/data_save.dat" | tr -s ' ')" = " 1 2 3 4" ] || pfail "the record file changed"
plog "second start: record untouched, stale and missing links renewed, exit code passed on"

# --- XDG_DATA_HOME, absolute (used) and relative (ignored) -------------------
run_launcher HOME="$home" XDG_DATA_HOME="$pkg_scratch/xdg data"
expect_started_in "$pkg_scratch/xdg data/pokomaru-jigsaw"
run_launcher HOME="$home" XDG_DATA_HOME="relative/data"
expect_started_in "$folder"
plog "XDG_DATA_HOME followed when absolute, ignored when relative"

# --- No folder can be made: the game still starts, says why, keeps nothing --
touch "$pkg_scratch/a file"
# "$1": what standard error must name.
expect_started_without_folder() {
    [ "$rc" = 0 ] || pfail "exit code $rc"
    local cwd
    cwd=$(sed -n 's/^cwd=//p' "$report")
    case $cwd in
        "$TMPDIR"/pokomaru-jigsaw.*) ;;
        *) pfail "without a folder of the player's the game started in '$cwd', not a temporary folder" ;;
    esac
    expect_started_in "$cwd"
    [ ! -e "$cwd" ] || pfail "the temporary folder $cwd was left behind"
    grep -q "cannot prepare .*$1" "$pkg_scratch/err" || pfail "standard error does not say why: $(cat "$pkg_scratch/err")"
    grep -q "best times will not be kept" "$pkg_scratch/err" || pfail "standard error does not say that no record is kept"
}
run_launcher HOME="$home" XDG_DATA_HOME="$pkg_scratch/a file/data"
expect_started_without_folder "Not a directory"
run_launcher
expect_started_without_folder "neither XDG_DATA_HOME nor HOME is set"
plog "no folder: the game started from a temporary one and said why"

# --- An incomplete installation is refused with a message --------------------
rm "$prefix/share/pokomaru-jigsaw/game/bitmap.png"
run_launcher HOME="$home"
[ "$rc" = 1 ] && [ ! -f "$report" ] || pfail "an installation without its atlas started the game (exit $rc)"
grep -q "installation is incomplete" "$pkg_scratch/err" || pfail "no message for the incomplete installation"
plog "an incomplete installation is refused"
