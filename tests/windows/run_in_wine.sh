#!/usr/bin/env bash
# Runs one Windows program of the 64-bit build in the test run's Wine prefix
# (made by wine_prefix.sh) and passes its exit code on.
# Usage: tests/windows/run_in_wine.sh WINE_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
wine_dir=${1:?usage: run_in_wine.sh WINE_DIR PROGRAM.exe [ARGS...]}
program=${2:?usage: run_in_wine.sh WINE_DIR PROGRAM.exe [ARGS...]}
shift 2
if [ ! -f "$program" ]; then
    echo "run_in_wine.sh: $program is missing: build it with scripts/build-windows.sh x64" >&2
    exit 1
fi
if [ ! -f "$wine_dir/env.sh" ]; then
    echo "run_in_wine.sh: no Wine prefix in $wine_dir: tests/windows/wine_prefix.sh makes it" >&2
    exit 1
fi
# shellcheck source=/dev/null
. "$wine_dir/env.sh"
exec wine "$program" "$@"
