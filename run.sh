#!/usr/bin/env bash
# Installs what is missing, builds the game in Release and starts it from the
# repository root (the game finds game/ relative to the current directory).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target pokomaru-jigsaw
exec ./build/pokomaru-jigsaw "$@"
