#!/usr/bin/env bash
# Serves dist/web (made by scripts/build-web.sh) on this machine only, to
# play the browser game or to test it: http://127.0.0.1:PORT/
# Usage: scripts/serve-web.sh [port]   (default 8642)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8642}
if [ ! -f dist/web/index.html ]; then
    echo "serve-web.sh: no dist/web yet; run scripts/build-web.sh first" >&2
    exit 1
fi
echo "http://127.0.0.1:$port/"
exec node tests/web/serve.js dist/web "$port"
