# Shared by the packaging tests: a scratch folder whose path holds a space
# (every script must quote its paths), the build installed into it, and a
# failure that says what went wrong.
#
# The tests expect from CTest: POKOMARU_BUILD_DIR (a configured and built
# tree) and POKOMARU_SOURCE_DIR.

set -euo pipefail
: "${POKOMARU_BUILD_DIR:?}" "${POKOMARU_SOURCE_DIR:?}"
PKG_NAME=$(basename "$0" .sh)
pkg_scratch=$(mktemp -d "${TMPDIR:-/tmp}/pokomaru package.XXXXXX")
trap 'rm -rf -- "$pkg_scratch"' EXIT

plog() { printf '[%s] %s\n' "$PKG_NAME" "$*"; }
pfail() { plog "FAIL: $*"; exit 1; }

# Installs the build under "$1" as its prefix.
install_tree() {
    cmake --install "$POKOMARU_BUILD_DIR" --prefix "$1" >"$pkg_scratch/install.log" 2>&1 ||
        pfail "cmake --install failed: $(cat "$pkg_scratch/install.log")"
}
