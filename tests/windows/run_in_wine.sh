#!/usr/bin/env bash
# Runs one Windows program (of the x86 or the x64 build) in the test run's Wine prefix
# (made by wine_prefix.sh) and passes its exit code on. With --display the
# program gets a private X server of its own (for a Direct3D device).
# Usage: tests/windows/run_in_wine.sh WINE_DIR [--display] PROGRAM.exe [ARGS...]
set -euo pipefail
usage="usage: run_in_wine.sh WINE_DIR [--display] PROGRAM.exe [ARGS...]"
wine_dir=${1:?$usage}
shift
display=0
if [ "${1:-}" = --display ]; then
    display=1
    shift
fi
program=${1:?$usage}
shift
if [ ! -f "$program" ]; then
    echo "run_in_wine.sh: $program is missing: build it with scripts/build-windows.sh" >&2
    exit 1
fi
if [ ! -f "$wine_dir/env.sh" ]; then
    echo "run_in_wine.sh: no Wine prefix in $wine_dir: tests/windows/wine_prefix.sh makes it" >&2
    exit 1
fi
# shellcheck source=/dev/null
. "$wine_dir/env.sh"
if [ $display -eq 0 ]; then
    unset DISPLAY
    exec wine "$program" "$@"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/pokomaru-wine-x.XXXXXX")
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
stop_x() {
    # Wine's desktop process holds this display: end the prefix's processes
    # with it (the test runs alone, see windows_tests.cmake).
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap stop_x EXIT
for _ in $(seq 1 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
[ -s "$scratch/display" ] || { echo "run_in_wine.sh: Xvfb did not start: $(cat "$scratch/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$scratch/display")"
set +e
wine "$program" "$@"
rc=$?
set -e
exit $rc
