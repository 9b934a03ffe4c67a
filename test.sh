#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
# The asset tools too, so the committed pictures and sounds are checked
# against what the tools make from the source data.
cmake --build build --target atlas_tool sound_tool
ctest --test-dir build --output-on-failure -j2 --timeout 300
