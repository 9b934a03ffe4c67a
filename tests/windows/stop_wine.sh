#!/usr/bin/env bash
# Ends the Wine server of the test run's prefix (and so anything left running
# in it), once every Windows test is done. The prefix itself stays for a
# look after a failure; the next run makes a fresh one.
set -euo pipefail
wine_dir=${1:?usage: stop_wine.sh WINE_DIR}
[ -f "$wine_dir/env.sh" ] || exit 0
# shellcheck source=/dev/null
. "$wine_dir/env.sh"
wineserver -k 2>/dev/null || true
