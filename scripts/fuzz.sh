#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a while.
#
#   scripts/fuzz.sh                 every target for 10 minutes, built in build-fuzz
#   scripts/fuzz.sh -t 20           every target for 20 seconds
#   scripts/fuzz.sh -t 3600 scenes  one target for an hour
#   scripts/fuzz.sh -b build-asan   in a sanitizer build configured with
#                                   POKOMARU_FUZZ=ON by clang (test.sh)
#
# Targets: png (the atlas decoder and texture sizing), records (the record
# file), sjis (the code page 932 text layer), scenes (the scene machine under
# random window messages, checking the game's invariants after every step).
# Each starts from its committed seeds in fuzz/corpus/<target>/; what a run
# finds new is kept in <build>/corpus/<target>/ (copy the interesting
# inputs into fuzz/corpus by hand), and a crashing input is written to
# <build>/artifacts/ and ends the script with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
build=build-fuzz
while getopts "t:b:" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-t seconds] [-b build-dir] [target...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(png records sjis scenes)

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOKOMARU_FUZZ=ON -DPOKOMARU_SANITIZE=ON -DPOKOMARU_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target fuzzers

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
  bin=$build/fuzz/fuzz_$t
  [ -x "$bin" ] || { echo "no fuzz target '$t'" >&2; exit 2; }
  mkdir -p "$build/corpus/$t"
  echo "== fuzz_$t for ${seconds} s"
  if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=8192 -malloc_limit_mb=1024 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$t-" "$build/corpus/$t" "fuzz/corpus/$t" \
      >"$build/fuzz_$t.log" 2>&1; then
    echo "fuzz_$t FAILED; its log:" >&2
    tail -60 "$build/fuzz_$t.log" >&2
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$t.log" || true
  fi
done
exit $status
