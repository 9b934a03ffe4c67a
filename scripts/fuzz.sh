#!/usr/bin/env bash
# The libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer),
# run two ways:
#
#   scripts/fuzz.sh -g -b build-asan  the test gate (test.sh): every target
#                                     replays its committed corpus and then
#                                     runs a fixed number of new inputs from a
#                                     fixed seed, so that two runs of the same
#                                     commit decide the same way and print the
#                                     same figures
#   scripts/fuzz.sh                   a campaign: every target for 10 minutes
#                                     from a fresh seed, built in build-fuzz
#   scripts/fuzz.sh -t 1200 scenes    one target for 20 minutes
#
# Targets: png (the atlas decoder and texture sizing), records (the record
# file), sjis (the code page 932 text layer), scenes (the scene machine under
# random window messages, checking the game's invariants after every step).
#
# A campaign goes on after a finding until its time is up: the input is kept
# in <build>/artifacts/, the first line of what it broke is listed at the end,
# and the script fails. What a campaign finds new is kept in
# <build>/corpus/<target>/ for the next one. A finding, once triaged and
# mended, joins fuzz/corpus/<target>/ under a name that says what it found,
# and every gate replays it from then on.
#
# Why the gate repeats: the seed fixes libFuzzer's own choices, but its
# comparison tracing feeds the operands of the program's comparisons back
# into the inputs, pointers among them, and those move with address
# randomisation. The gate runs without that tracing and, where the kernel
# lets it, with address randomisation off; new inputs go to a scratch corpus
# made empty for every run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
build=build-fuzz
gate=false
while getopts "gt:b:" opt; do
  case $opt in
    g) gate=true ;;
    t) seconds=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-g] [-t seconds] [-b build-dir] [target...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(png records sjis scenes)

# New inputs each target gets in the gate, beyond its corpus: about a minute
# in all on this machine. The scene machine plays whole games (about 20 ms an
# input); the record file is written and read back through the disk.
gate_runs() {
  case $1 in
    scenes) echo 2000 ;;
    records) echo 2000 ;;
    *) echo 20000 ;;
  esac
}
gate_seed=20261209

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOKOMARU_FUZZ=ON -DPOKOMARU_SANITIZE=ON -DPOKOMARU_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target fuzzers

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
common=(-timeout=10 -rss_limit_mb=8192 -malloc_limit_mb=1024 -print_final_stats=1)
mkdir -p "$build/artifacts"
status=0

# The figures a gate run must repeat: inputs run, coverage, features, corpus.
figures() {
  sed -n 's/^#\([0-9]*\)[[:space:]]*DONE[[:space:]]*cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\/[0-9A-Za-z]*\).*/\1 inputs, cov \2, ft \3, corpus \4/p' "$1"
}

run_gate() {
  local t=$1 bin=$2 log=$build/fuzz_$t.log scratch=$build/fuzz-gate/$t
  local no_aslr=()
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    no_aslr=(setarch "$(uname -m)" -R)
  else
    echo "(address randomisation stays on here: the comparison tracing is off, so the inputs still repeat)"
  fi
  rm -rf "$scratch"
  mkdir -p "$scratch"
  local corpus_size
  corpus_size=$(find "fuzz/corpus/$t" -type f | wc -l)
  if ! "${no_aslr[@]}" "$bin" "${common[@]}" -seed=$gate_seed -runs="$(gate_runs "$t")" -use_cmp=0 \
      -use_value_profile=0 -reload=0 -artifact_prefix="$build/artifacts/$t-" "$scratch" "fuzz/corpus/$t" \
      >"$log" 2>&1; then
    echo "fuzz_$t FAILED; its log:" >&2
    tail -60 "$log" >&2
    status=1
    return
  fi
  echo "fuzz_$t: $corpus_size corpus inputs replayed; $(figures "$log")"
}

run_campaign() {
  local t=$1 bin=$2 log=$build/fuzz_$t.log findings=$build/findings_$t.txt
  mkdir -p "$build/corpus/$t"
  : >"$findings"
  local end=$((SECONDS + seconds)) runs=0 execs=0
  while [ $SECONDS -lt "$end" ]; do
    runs=$((runs + 1))
    if "$bin" "${common[@]}" -max_total_time=$((end - SECONDS)) -artifact_prefix="$build/artifacts/$t-" \
        "$build/corpus/$t" "fuzz/corpus/$t" >"$log.$runs" 2>&1; then
      :
    else
      local what
      what=$(grep -m1 -E '^invariant broken|^SUMMARY|ERROR: libFuzzer|runtime error' "$log.$runs" || echo "unknown failure")
      local input
      input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log.$runs" | head -1)
      echo "$what :: ${input:-no input written}" >>"$findings"
      status=1
    fi
    local done_here
    done_here=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log.$runs" | tail -1)
    execs=$((execs + ${done_here:-0}))
  done
  echo "fuzz_$t: $execs inputs in $seconds s ($((execs / (seconds > 0 ? seconds : 1))) a second), $runs run(s), corpus $(find "$build/corpus/$t" -type f | wc -l) inputs"
  if [ -s "$findings" ]; then
    echo "  findings (each distinct line once; inputs in $build/artifacts/):"
    sort "$findings" | awk -F' :: ' '!seen[$1]++ {print "    " $0}'
  fi
}

for t in "${targets[@]}"; do
  bin=$build/fuzz/fuzz_$t
  [ -x "$bin" ] || { echo "no fuzz target '$t'" >&2; exit 2; }
  if $gate; then
    run_gate "$t" "$bin"
  else
    echo "== fuzz_$t for ${seconds} s"
    run_campaign "$t" "$bin"
  fi
done
exit $status
