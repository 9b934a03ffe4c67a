#!/usr/bin/env bash
# The browser tests, as ./test.sh runs them: builds the site (unless
# POKOMARU_WEB_SKIP_BUILD=1), the test build of the page and the web layer's
# node tests, installs the pinned test drivers, then runs the node tests and
# the browser tests in Chromium, Firefox ESR and WebKitGTK.
# Usage: tests/web/run.sh [--engines chromium,firefox,webkit] [browser-test-name-filter]
set -euo pipefail
cd "$(dirname "$0")/../.."
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
build=${POKOMARU_WEB_BUILD:-build-web}
if [ "${POKOMARU_WEB_SKIP_BUILD:-0}" != 1 ]; then
    scripts/build-web.sh "$build"
fi
cmake --build "$build" --target pokomaru-jigsaw-test web_page_input_test
# The drivers as the lock file pins them; none of them fetches a browser.
(cd tests/web && {
    for module in playwright-core puppeteer-core selenium-webdriver; do
        [ -d "node_modules/$module" ] || { npm ci --no-audit --no-fund --loglevel=error; break; }
    done
})

echo "== web: node tests"
node --no-experimental-fetch "$build/unit/web_page_input_test.js"
node tests/web/unit/fit_test.js
echo "== web: browser tests"
POKOMARU_WEB_BUILD=$build node tests/web/run_tests.js "$@"
