#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit,
# integration and real-window tests; the Windows build (both executables,
# their tests under Wine); the browser build and its tests in Chromium,
# Firefox ESR and WebKitGTK; the same suite built by clang with
# AddressSanitizer and UndefinedBehaviorSanitizer; and, from that build, a
# short run of every fuzz target (scripts/fuzz.sh runs them longer).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
# The asset tools too, so the committed pictures and sounds are checked
# against what the tools make from the source data.
cmake --build build --target atlas_tool sound_tool
ctest --test-dir build --output-on-failure -j2 --timeout 300 -LE windows

echo "== Windows (cross-built; under Wine)"
windows_started=$SECONDS
# The shipped 32-bit executable runs under the 32-bit Wine of an i386 root
# (made here on first use) where the kernel runs 32-bit code; else the
# 64-bit twin stands in for it, as the probe says.
if scripts/i386-wine-root.sh probe; then
  scripts/i386-wine-root.sh ensure
  echo "the shipped 32-bit executable runs under 32-bit Wine; the 64-bit twin keeps its unit tests"
fi
scripts/build-windows.sh
ctest --test-dir build --output-on-failure -j2 --timeout 300 -L windows
echo "Windows build and tests took $((SECONDS - windows_started)) s"

echo "== browser (emscripten build; Chromium, Firefox ESR, WebKitGTK)"
web_started=$SECONDS
tests/web/run.sh
echo "Browser build and tests took $((SECONDS - web_started)) s"

echo "== sanitizers and fuzzers (one clang build serves both)"
# AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite, and
# the fuzz targets linked against the same instrumented game code.
if ! grep -qs '^CMAKE_CXX_COMPILER:.*clang' build-asan/CMakeCache.txt; then
  rm -rf build-asan
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOKOMARU_SANITIZE=ON -DPOKOMARU_FUZZ=ON >/dev/null
fi
cmake --build build-asan
tests/sanitizers/run_tests.sh build-asan
scripts/fuzz.sh -b build-asan -t "${POKOMARU_FUZZ_SECONDS:-15}"
