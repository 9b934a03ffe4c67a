#!/usr/bin/env bash
# Runs the unit and integration tests of a sanitizer build (POKOMARU_SANITIZE
# =ON) with every report fatal: AddressSanitizer with LeakSanitizer, and
# UndefinedBehaviorSanitizer. The real-window tests, the Windows tests (Wine,
# which the preloaded runtime would also instrument) and the soak are left to
# the normal build (a sanitized game is too slow for their frame rate, and
# the soak's memory figures mean nothing under the sanitizers' allocator).
# Usage: tests/sanitizers/run_tests.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run_tests.sh BUILD_DIR}

# Shared objects stay loaded, so that leaks inside the graphics drivers SDL
# loads are reported against their names (and the driver's own caches stay
# reachable) instead of against an unknown, unloaded module.
cc -shared -fPIC -O2 -o "$build/keep_loaded.so" "$here/keep_loaded.c"
# gcc links the sanitizer runtime as a shared library, which must come first
# of all; clang links it into each program.
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
if "$compiler" --version | grep -q clang; then
  export LD_PRELOAD="$build/keep_loaded.so"
else
  export LD_PRELOAD="$("$compiler" -print-file-name=libasan.so) $build/keep_loaded.so"
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:strict_init_order=1:detect_stack_use_after_return=0:print_summary=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1:suppressions=$here/ubsan.supp"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300 -LE "e2e|windows" -E "^Soak\\."
