#!/usr/bin/env bash
# How sharp the info panel's text reaches the screen in headless Chromium,
# this tree's build and, with --before REV, the game as it was at REV (built
# from `git archive` in a scratch folder): tests/web/sharpness.js. A
# measurement: it prints and asserts nothing.
# Usage: scripts/sharpness-web.sh [--before REV] [--images DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
build=${POKOMARU_WEB_BUILD:-build-web}
before='' images=()
while [ $# -gt 0 ]; do
    case $1 in
        --before) before=$2; shift 2 ;;
        --images) images=(--images "$(realpath -m "$2")"); shift 2 ;;
        *) echo "usage: $0 [--before REV] [--images DIR]" >&2; exit 2 ;;
    esac
done
scripts/build-web.sh "$build" >/dev/null
cmake --build "$build" --target pokomaru-jigsaw-test >/dev/null
(cd tests/web && { [ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --loglevel=error; })
args=()
if [ -n "$before" ]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    git archive "$before" | tar -x -C "$scratch/"
    (cd "$scratch" && scripts/build-web.sh build-web >/dev/null && cmake --build build-web --target pokomaru-jigsaw-test >/dev/null)
    mkdir -p "$scratch/before"
    cp -r "$scratch/dist/web" "$scratch/before/web"
    cp -r "$scratch/build-web/test-page" "$scratch/before/test-page"
    args=(--before "$scratch/before")
fi
POKOMARU_WEB_BUILD=$build node tests/web/sharpness.js "${args[@]}" "${images[@]}"
