#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit,
# integration and real-window tests; the Windows build (both executables,
# their tests under Wine); the browser build and its tests in Chromium,
# Firefox ESR and WebKitGTK; the same suite built by clang with
# AddressSanitizer and UndefinedBehaviorSanitizer; and, from that build, the
# fuzz gate: every fuzz target replays its corpus and a fixed number of new
# inputs, so two runs of one commit decide the same way (scripts/fuzz.sh
# without -g runs long campaigns from fresh seeds).
#
# The stages run one after another, each with both cores; what only waits
# on the network (the i386 root for 32-bit Wine, made once per machine)
# starts first, in the background. The time of every stage is printed at
# the end.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p build
started=$SECONDS
stage_name=""
stage_started=$SECONDS
stage_cpu=0
stage_times=()
# CPU seconds (user and system) of every finished child so far: a stage's
# share of the machine, which a busy machine changes less than its time.
# (times runs in this shell, not in a subshell, which would count none.)
cpu=0
count_cpu() {
  times >build/.times
  cpu=$(awk 'NR == 2 { t = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); t += p[1] * 60 + p[2] } printf "%d", t }' build/.times)
}
stage() {
  count_cpu
  if [ -n "$stage_name" ]; then
    stage_times+=("$(printf '%-36s %5d s %7d s' "$stage_name" $((SECONDS - stage_started)) $((cpu - stage_cpu)))")
  fi
  stage_name=$1
  stage_started=$SECONDS
  stage_cpu=$cpu
  [ -z "$stage_name" ] || echo "== $stage_name"
}
report_times() {
  stage ""
  echo "== stage times (wall, CPU)"
  printf '  %s\n' "${stage_times[@]}"
  count_cpu
  printf '  %-36s %5d s %7d s\n' "whole run" $((SECONDS - started)) "$cpu"
}
trap report_times EXIT

stage "dependencies"
./scripts/install-deps.sh

# The shipped 32-bit executable runs under the 32-bit Wine of an i386 root
# where the kernel runs 32-bit code; else the 64-bit twin stands in for it.
# Making the root is mostly a download, so it goes on beside the builds.
i386_pid=""
if scripts/i386-wine-root.sh probe; then
  scripts/i386-wine-root.sh ensure >build/i386-root.log 2>&1 &
  i386_pid=$!
fi

stage "Linux: build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
# The asset tools too, so the committed pictures and sounds are checked
# against what the tools make from the source data.
cmake --build build --target atlas_tool sound_tool

stage "Linux: tests"
ctest --test-dir build --output-on-failure -j2 --timeout 300 -LE windows

stage "Windows: build"
scripts/build-windows.sh
if [ -n "$i386_pid" ]; then
  if ! wait "$i386_pid"; then
    cat build/i386-root.log >&2
    echo "the i386 root for 32-bit Wine could not be made" >&2
    exit 1
  fi
  cat build/i386-root.log
  echo "the shipped 32-bit executable runs under 32-bit Wine; the 64-bit twin is built, not run"
fi

stage "Windows: tests under Wine"
ctest --test-dir build --output-on-failure -j2 --timeout 300 -L windows

stage "browser: build and tests (Chromium, Firefox ESR, WebKitGTK)"
tests/web/run.sh

stage "sanitizers: build"
# AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite, and
# the fuzz targets linked against the same instrumented game code.
if ! grep -qs '^CMAKE_CXX_COMPILER:.*clang' build-asan/CMakeCache.txt; then
  rm -rf build-asan
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOKOMARU_SANITIZE=ON -DPOKOMARU_FUZZ=ON >/dev/null
fi
cmake --build build-asan

stage "sanitizers: tests"
tests/sanitizers/run_tests.sh build-asan

stage "fuzz gate"
scripts/fuzz.sh -g -b build-asan
