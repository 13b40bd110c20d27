#!/usr/bin/env bash
# Start-up of Pelorin against a bare Qt 6 window of the same size with the
# same buttons built the same way (bench/bare_window.cpp), from exec to the
# first painted window. Both programs end after their first paint. Measured
# on Qt's offscreen platform and in an X window under Xvfb, and printed side
# by side with the ratios:
#  - CPU: instructions executed by the program's process, counted by
#    valgrind's callgrind (exact and repeatable, unlike timings of a run of a
#    few tens of milliseconds), median of the runs;
#  - memory: peak resident set from /usr/bin/time, median of the runs.
# Usage: bench/startup.sh [RUNS]   (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --bench
[[ -f build/bench/CMakeCache.txt ]] || cmake --preset bench >/dev/null
cmake --build --preset bench --target startup_pelorin startup_bare >/dev/null
runs=${1:-3}

work=$(mktemp -d)
xvfb=
cleanup() {
  [[ -z "$xvfb" ]] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for ((i = 0; i < 100; i++)); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
display=":$(head -n 1 "$work/display")"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Only the program's own process counts: Qt may fork helpers under X.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" >"$work/log" 2>&1
  local pid
  pid=$(sed -n '1s/^==\([0-9]*\)==.*/\1/p' "$work/log")
  sed -n "s/^==$pid== Collected : \([0-9]*\).*/\1/p" "$work/log"
}
peak_kib() { /usr/bin/time -f '%M' "$1" 2>&1 >/dev/null | tail -n 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

printf '%-30s %14s %16s\n' "start-up, median of $runs runs" "instructions" "peak memory KiB"
for platform in offscreen xcb; do
  declare -A cpu=() memory=()
  for program in startup_bare startup_pelorin; do
    path=build/bench/bench/$program
    cpu[$program]=$(for ((i = 0; i < runs; i++)); do
      DISPLAY=$display QT_QPA_PLATFORM=$platform instructions "$path"
    done | median)
    memory[$program]=$(for ((i = 0; i < runs; i++)); do
      DISPLAY=$display QT_QPA_PLATFORM=$platform peak_kib "$path"
    done | median)
  done
  printf '%-30s %14s %16s\n' "$platform: bare Qt window" "${cpu[startup_bare]}" "${memory[startup_bare]}"
  printf '%-30s %14s %16s\n' "$platform: Pelorin" "${cpu[startup_pelorin]}" "${memory[startup_pelorin]}"
  printf '%-30s %14s %16s\n' "$platform: Pelorin / bare" \
    "$(ratio "${cpu[startup_pelorin]}" "${cpu[startup_bare]}")" \
    "$(ratio "${memory[startup_pelorin]}" "${memory[startup_bare]}")"
done
