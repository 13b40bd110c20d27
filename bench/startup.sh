#!/usr/bin/env bash
# Start-up of Pelorin against a bare Qt 6 window of the same size with the
# same buttons built the same way (bench/bare_window.cpp), from exec to the
# first painted window, on Qt's offscreen platform. Both programs end after
# their first paint. Prints both side by side with the ratios:
#  - CPU: instructions executed, counted by valgrind's callgrind (exact and
#    repeatable, unlike timings of a 50 ms run), median of the runs;
#  - memory: peak resident set from /usr/bin/time, median of the runs.
# Usage: bench/startup.sh [RUNS]   (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --bench
[[ -f build/bench/CMakeCache.txt ]] || cmake --preset bench >/dev/null
cmake --build --preset bench --target startup_pelorin startup_bare >/dev/null
runs=${1:-3}
export QT_QPA_PLATFORM=offscreen

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
peak_kib() { /usr/bin/time -f '%M' "$1" 2>&1 >/dev/null | tail -n 1; }

declare -A cpu memory
for program in startup_bare startup_pelorin; do
  path=build/bench/bench/$program
  cpu[$program]=$(for ((i = 0; i < runs; i++)); do instructions "$path"; done | median)
  memory[$program]=$(for ((i = 0; i < runs; i++)); do peak_kib "$path"; done | median)
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
printf '%-22s %16s %18s\n' "start-up, $runs runs" "instructions" "peak memory KiB"
printf '%-22s %16s %18s\n' "bare Qt window" "${cpu[startup_bare]}" "${memory[startup_bare]}"
printf '%-22s %16s %18s\n' "Pelorin" "${cpu[startup_pelorin]}" "${memory[startup_pelorin]}"
printf '%-22s %16s %18s\n' "Pelorin / bare" "$(ratio "${cpu[startup_pelorin]}" "${cpu[startup_bare]}")" \
  "$(ratio "${memory[startup_pelorin]}" "${memory[startup_bare]}")"
