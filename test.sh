#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit,
# integration and real-window tests; the Windows build (both executables, its
# tests under Wine); the same suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer; and a short run of every
# fuzz target (scripts/fuzz.sh runs them longer).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
# The asset tools too, so the committed pictures and sounds are checked
# against what the tools make from the source data.
cmake --build build --target atlas_tool sound_tool
ctest --test-dir build --output-on-failure -j2 --timeout 300 -LE windows

echo "== Windows (cross-built; the 64-bit twin under Wine)"
windows_started=$SECONDS
scripts/build-windows.sh
ctest --test-dir build --output-on-failure -j2 --timeout 300 -L windows
echo "Windows build and tests took $((SECONDS - windows_started)) s"

echo "== sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOKOMARU_SANITIZE=ON >/dev/null
cmake --build build-asan
tests/sanitizers/run_tests.sh build-asan

echo "== fuzzers"
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOKOMARU_FUZZ=ON -DPOKOMARU_SANITIZE=ON -DPOKOMARU_TESTS=OFF >/dev/null
fi
scripts/fuzz.sh -t "${POKOMARU_FUZZ_SECONDS:-15}"
