#!/usr/bin/env bash
# Figures of the browser game (load time, transfer size, CPU while dragging,
# memory), measured in headless Chromium on this machine. A benchmark: it
# prints and asserts nothing. Builds the site and the test page first.
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
build=${POKOMARU_WEB_BUILD:-build-web}
scripts/build-web.sh "$build" >/dev/null
cmake --build "$build" --target pokomaru-jigsaw-test >/dev/null
(cd tests/web && { [ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --loglevel=error; })
POKOMARU_WEB_BUILD=$build node tests/web/bench.js
