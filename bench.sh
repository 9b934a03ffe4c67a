#!/usr/bin/env bash
# Builds the game in Release with its benchmarks (build-bench) and prints
# what it costs on this machine, as a player feels it, beside the desktop
# games a player would pick instead (KGeography and Palapeli, when they are
# installed; they are not dependencies of the game):
#   start-up to the first presented frame, under an X server (Xvfb)
#   CPU of a changing frame per scene (forced, never skipped)
#   CPU while dragging a piece for 10 s, at the game's own pace
#   CPU idling on the title, under an X server
#   resident memory on the title, and in play with the info panel shown
# With --before REV the same measurements are taken in the same run of the
# game as it was at REV (built from that revision with today's benchmark
# source), for a before-and-after table. Nothing here is asserted; see
# README "Performance" for the targets.
#
#   ./bench.sh [--before REV] [--quick]
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

before=""
quick=0
while [ $# -gt 0 ]; do
  case $1 in
    --before) before=$2; shift 2 ;;
    --quick) quick=1; shift ;;
    *) echo "usage: $0 [--before REV] [--quick]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh
build() {  # source dir, build dir
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPOKOMARU_BENCH=ON >/dev/null
  cmake --build "$2" -j2 --target pokomaru_bench pokomaru-jigsaw >/dev/null
}
echo "building ..." >&2
build . build-bench
variants=(after)
declare -A bin_dir=([after]="$root/build-bench")
declare -A src_dir=([after]="$root")
if [ -n "$before" ]; then
  # The old tree beside a link to ../shared, as every checkout has it; the
  # benchmark source is today's, so both sides are measured the same way.
  old=$root/build-bench/before
  rm -rf "$old/repo"
  mkdir -p "$old/repo"
  git archive "$before" | tar -x -C "$old/repo"
  ln -sfn "$(realpath ../shared)" "$old/shared"
  cp bench/game_bench.cpp "$old/repo/bench/game_bench.cpp"
  # Its harness learns to run under an X server, as today's does.
  sed -i 's|setenv("SDL_VIDEODRIVER", "offscreen", 1);|setenv("SDL_VIDEODRIVER", std::getenv("POKOMARU_HARNESS_VIDEO") ? std::getenv("POKOMARU_HARNESS_VIDEO") : "offscreen", 1);|' \
    "$old/repo/tests/support/game_harness.cpp"
  build "$old/repo" "$old/repo/build-bench"
  variants=(before after)
  bin_dir[before]="$old/repo/build-bench"
  src_dir[before]="$old/repo"
fi

scratch=$(mktemp -d)
xvfb_pid=""
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=":$(tr -d '[:space:]' <"$scratch/display")"
hz=$(getconf CLK_TCK)
runs=5
[ "$quick" = 1 ] && runs=3
min_time=1
[ "$quick" = 1 ] && min_time=0.3

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else print v[int((NR + 1) / 2)] }'; }

declare -A result
for v in "${variants[@]}"; do
  echo "measuring $v ..." >&2
  bench=${bin_dir[$v]}/bench/pokomaru_bench
  # Frames: the CPU column of Google Benchmark, in ms.
  csv=$(cd "${src_dir[$v]}" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$bench" \
    --benchmark_filter='ChangingFrame' --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null |
    grep '^"BM_')
  for scene in Title PlayMunicipality PlayMascot Clear; do
    result[$v,frame_$scene]=$(echo "$csv" | awk -F, -v n="\"BM_ChangingFrame_$scene\"" '$1 == n { printf "%.2f", $4 }')
  done
  # Dragging, at the game's own pace on the real clock.
  result[$v,drag]=$( (cd "${src_dir[$v]}" && DISPLAY="$display" POKOMARU_HARNESS_VIDEO=x11 SDL_AUDIODRIVER=dummy \
    "$bench" --drag-child 2>/dev/null) | awk '{ print $2 }')
  mkdir -p "$scratch/run-$v/game"
  for f in "${src_dir[$v]}"/game/*; do
    [ "$(basename "$f")" = data_save.dat ] || cp "$f" "$scratch/run-$v/game/"
  done
  : >"$scratch/startup-$v"
  : >"$scratch/idle-$v"
done

# Start-up, memory and idling, in fresh processes under the X server, the
# trees taking turns run by run, so that a change in the machine's load
# falls on both alike.
startup_runs=$((runs * 2 - 1))
idle_runs=3
[ "$quick" = 1 ] && idle_runs=1
echo "measuring start-up and idling ..." >&2
for run in $(seq "$startup_runs"); do
  for v in "${variants[@]}"; do
    (cd "${src_dir[$v]}" && DISPLAY="$display" POKOMARU_HARNESS_VIDEO=x11 SDL_AUDIODRIVER=dummy \
      "${bin_dir[$v]}/bench/pokomaru_bench" --startup-child) >>"$scratch/startup-$v" 2>/dev/null || true
  done
  [ "$run" -le "$idle_runs" ] || continue
  for v in "${variants[@]}"; do
    # The real binary idling on the title.
    (cd "$scratch/run-$v" && exec env HOME="$scratch" DISPLAY="$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
      "${bin_dir[$v]}/pokomaru-jigsaw" >/dev/null 2>&1) &
    pid=$!
    pids+=("$pid")
    sleep 3
    t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    sleep 5
    t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    echo "$(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN { printf "%.1f", (b - a) / hz / 5 * 100 }')" \
      "$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")" >>"$scratch/idle-$v"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  done
done
for v in "${variants[@]}"; do
  result[$v,startup]=$(awk '{ print $2 }' "$scratch/startup-$v" | median)
  result[$v,rss_title]=$(awk '{ printf "%.1f\n", $4 / 1024 }' "$scratch/startup-$v" | median)
  result[$v,rss_play]=$(awk '{ printf "%.1f\n", $6 / 1024 }' "$scratch/startup-$v" | median)
  result[$v,idle]=$(awk '{ print $1 }' "$scratch/idle-$v" | median)
  result[$v,rss_title_x]=$(awk '{ print $2 }' "$scratch/idle-$v" | median)
done

# Peers: started the same way under the same X server; start-up is until
# their first window is mapped (a frame of theirs can be no earlier).
peers=()
declare -A peer_command=([KGeography]=kgeography [Palapeli]=/usr/games/palapeli)
declare -A peer_class=([KGeography]=kgeography [Palapeli]=palapeli)
for peer in KGeography Palapeli; do
  command=${peer_command[$peer]}
  if ! command -v "$command" >/dev/null 2>&1; then
    echo "$peer is not installed: not measured" >&2
    continue
  fi
  echo "measuring $peer ..." >&2
  peers+=("$peer")
  home=$scratch/home-$peer
  mkdir -p "$home"
  start=$(date +%s%N)
  env HOME="$home" XDG_RUNTIME_DIR="$home" DISPLAY="$display" QT_QPA_PLATFORM=xcb "$command" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  mapped=""
  for _ in $(seq 3000); do
    if DISPLAY="$display" xdotool search --onlyvisible --class "${peer_class[$peer]}" >/dev/null 2>&1; then
      mapped=$(date +%s%N)
      break
    fi
    sleep 0.005
  done
  result[$peer,startup]=$([ -n "$mapped" ] && awk -v a="$start" -v b="$mapped" 'BEGIN { printf "%.0f", (b - a) / 1e6 }' || echo "-")
  sleep 3
  t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  sleep 5
  t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  result[$peer,idle]=$(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN { printf "%.1f", (b - a) / hz / 5 * 100 }')
  result[$peer,rss_title_x]=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done

row() {  # label, key, target, unit
  local label=$1 key=$2 target=$3 unit=$4
  printf '| %s |' "$label"
  for v in "${variants[@]}"; do printf ' %s |' "${result[$v,$key]:--}"; done
  for p in "${peers[@]}"; do printf ' %s |' "${result[$p,$key]:--}"; done
  local ours=${result[after,$key]:-} theirs=${result[KGeography,$key]:-}
  if [[ "$ours" =~ ^[0-9.]+$ && "$theirs" =~ ^[0-9.]+$ ]] && awk -v t="$theirs" 'BEGIN { exit !(t > 0) }'; then
    printf ' %s |' "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')"
  else
    printf ' |'
  fi
  printf ' %s %s |\n' "$target" "$unit"
}

echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores ($(uptime | sed 's/.*load average: /load /'))."
printf '| measure |'
for v in "${variants[@]}"; do printf ' %s |' "$v"; done
for p in "${peers[@]}"; do printf ' %s |' "$p"; done
printf ' after / KGeography | target |\n'
printf '|---|'
for _ in "${variants[@]}" "${peers[@]}"; do printf -- '---|'; done
printf -- '---|---|\n'
row "start-up to the first presented frame, Xvfb (median of $startup_runs)" startup "< 250" ms
row "CPU of a changing frame, title (software renderer)" frame_Title "< 0.5" ms
row "CPU of a changing frame, municipality play, piece held" frame_PlayMunicipality "< 0.5" ms
row "CPU of a changing frame, mascot play, piece held" frame_PlayMascot "< 0.5" ms
row "CPU of a changing frame, clear" frame_Clear "< 0.5" ms
row "CPU while dragging a piece for 10 s" drag "< 5" "% of a core"
row "CPU idling on the title, Xvfb (median of $idle_runs)" idle "" "% of a core"
row "resident memory on the title, Xvfb (median of $idle_runs)" rss_title_x "< 50" MiB
row "resident memory on the title (median of $startup_runs)" rss_title "< 50" MiB
row "resident memory in play, info panel shown (median of $startup_runs)" rss_play "< 64" MiB

if [ "$quick" = 0 ]; then
  echo
  echo "== ten minutes of random play with window resizes, resident memory sampled at the first size (KiB)"
  cmake --build build-bench -j2 --target test_soak >/dev/null
  (cd "$root" && POKOMARU_LONG_SOAK=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    build-bench/tests/test_soak --gtest_filter='Soak.RandomPlayWithResizesKeepsMemoryFlat' | grep -E '^resident|OK|FAILED')
fi
