#!/usr/bin/env bash
# pelorin-convert writing C headers of 128 x 64 screens against writing .bit
# files of the Lyra's 96 x 48 screen, side by side in one run: batches of 1000
# inputs in one call each, per file, and the ratio (C over .bit). The 128 x 64
# inputs are raw bytes in bands-lsb-top (--from-layout), the .bit inputs the
# Lyra's files; every file is on a tmpfs (/dev/shm) so that flushing to the
# disk does not decide.
# Usage: screen_outputs.sh PELORIN_CONVERT [ROUNDS]
set -euo pipefail
converter=$(realpath "$1")
rounds=${2:-5}
count=1000

now_ns() { date +%s%N; }

folder=$(mktemp -d /dev/shm/pelorin-screens.XXXXXX)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/wide" "$folder/lyra" "$folder/out-c" "$folder/out-bit"
head -c 1024 /dev/urandom >"$folder/wide/w0.raw"
head -c 576 /dev/urandom >"$folder/lyra/l0.bit"
for i in $(seq 1 $((count - 1))); do
  cp "$folder/wide/w0.raw" "$folder/wide/w$i.raw"
  cp "$folder/lyra/l0.bit" "$folder/lyra/l$i.bit"
done

c_ns=0 bit_ns=0
for _ in $(seq "$rounds"); do
  start=$(now_ns)
  "$converter" --from-layout bands-lsb-top --size 128x64 --to c -d "$folder/out-c" "$folder"/wide/*.raw
  c_ns=$((c_ns + $(now_ns) - start))
  start=$(now_ns)
  "$converter" --to bit -d "$folder/out-bit" "$folder"/lyra/*.bit
  bit_ns=$((bit_ns + $(now_ns) - start))
done

awk -v c="$c_ns" -v b="$bit_ns" -v n=$((rounds * count)) 'BEGIN {
  printf "per file, %d files in batches of 1000:\n", n
  printf "  128 x 64 --to c      %.3f ms\n", c / n / 1e6
  printf "  96 x 48 --to bit     %.3f ms\n", b / n / 1e6
  printf "  ratio (c / bit)      %.2f (within 1.5 wanted)\n", c / b
}'
