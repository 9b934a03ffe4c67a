#!/usr/bin/env bash
# Builds the game in Release with its benchmarks (build-bench) and prints
# what it costs on this machine: the CPU time of a frame on the software
# renderer for each screen, one scene update, start-up to the first frame,
# the peak resident memory, and the CPU the real game uses idling on the
# title at its own pace. Nothing here is asserted; see README "Performance"
# for the targets.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPOKOMARU_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target pokomaru_bench pokomaru-jigsaw

echo "== frames and updates (CPU time per call; software renderer, headless)"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy build-bench/bench/pokomaru_bench \
  --benchmark_min_time=1 "$@"

echo
echo "== start-up to the first presented frame, in fresh processes (software renderer)"
runs=()
rss=0
for i in 1 2 3 4 5; do
  out=$(SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy build-bench/bench/pokomaru_bench --startup-child)
  runs+=("$(echo "$out" | awk '{ print $2 }')")
  r=$(echo "$out" | awk '{ print $4 }')
  [ "$r" -gt "$rss" ] && rss=$r
done
printf '%s\n' "${runs[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "start-up: min %.1f ms, median %.1f ms, max %.1f ms (%d runs)\n", v[1], v[int((NR + 1) / 2)], v[NR], NR }'
awk -v k="$rss" 'BEGIN { printf "peak resident memory of start-up and a short mascot game: %.1f MiB\n", k / 1024 }'

# The real binary, idling on the title at its own pace for 5 s: CPU from
# /proc/<pid>/stat (utime + stime), peak memory from VmHWM.
scratch=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/run/game"
for f in game/*; do [ "$(basename "$f")" = data_save.dat ] || cp "$f" "$scratch/run/game/"; done
binary=$PWD/build-bench/pokomaru-jigsaw
hz=$(getconf CLK_TCK)

idle_run() {  # label, then environment assignments
  local label=$1
  shift
  (cd "$scratch/run" && exec env HOME="$scratch" "$@" SDL_AUDIODRIVER=dummy "$binary" >/dev/null 2>&1) &
  game_pid=$!
  sleep 2  # start-up and the pacing settling
  local t0 t1
  t0=$(awk '{ print $14 + $15 }' "/proc/$game_pid/stat")
  sleep 5
  t1=$(awk '{ print $14 + $15 }' "/proc/$game_pid/stat")
  local hwm
  hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$game_pid/status")
  kill "$game_pid"
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
  awk -v a="$t0" -v b="$t1" -v hz="$hz" -v m="$hwm" -v l="$label" \
    'BEGIN { printf "%-44s idle CPU %5.1f%% of one core, peak resident %.1f MiB\n", l, (b - a) / hz / 5 * 100, m / 1024 }'
}

echo
echo "== the real game idling on the title for 5 s"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=":$(tr -d '[:space:]' <"$scratch/display")"
idle_run "X server (Xvfb), renderer of its choice:" DISPLAY="$display" SDL_VIDEODRIVER=x11
idle_run "X server (Xvfb), software renderer:" DISPLAY="$display" SDL_VIDEODRIVER=x11 POKOMARU_REFUSE_RENDERERS=accelerated
idle_run "offscreen, software renderer:" SDL_VIDEODRIVER=offscreen POKOMARU_REFUSE_RENDERERS=accelerated
