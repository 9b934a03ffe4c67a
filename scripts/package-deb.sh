#!/usr/bin/env bash
# Makes the Debian package dist/pokomaru-jigsaw_<version>_amd64.deb: a
# Release build of the game alone (no tests) in build-deb, installed under
# /usr by CPack, with the library dependencies found by dpkg-shlibdeps.
# Extra arguments go to CMake, e.g. -DPOKOMARU_MAINTAINER="Name <address>".
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPOKOMARU_TESTS=OFF "$@" >/dev/null
cmake --build build-deb
mkdir -p dist
(cd build-deb && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
package=$(ls -t dist/pokomaru-jigsaw_*.deb | head -1)
echo "$package"
