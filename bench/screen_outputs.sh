#!/usr/bin/env bash
# pelorin-convert writing C headers of 128 x 64 screens against writing .bit
# files of the Lyra's 96 x 48 screen, side by side in one run: batches of 1000
# inputs in one call each, per file, and the ratio (C over .bit). The 128 x 64
# inputs are PNG pictures of that size (a black and white drawing, placed as
# drawn on a --size 128x64 screen), the .bit inputs the Lyra's files; every file is on a tmpfs (/dev/shm) so that flushing to the
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
# A 128 x 64 drawing of random black and white pixels, one byte of grey each.
python3 - "$folder/wide/w0.png" <<'PICTURE'
import os, struct, sys, zlib
width, height = 128, 64
rows = b"".join(b"\0" + bytes(255 * (byte & 1) for byte in os.urandom(width)) for _ in range(height))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
header = struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)
with open(sys.argv[1], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PICTURE
head -c 576 /dev/urandom >"$folder/lyra/l0.bit"
for i in $(seq 1 $((count - 1))); do
  cp "$folder/wide/w0.png" "$folder/wide/w$i.png"
  cp "$folder/lyra/l0.bit" "$folder/lyra/l$i.bit"
done

c_ns=0 bit_ns=0
for _ in $(seq "$rounds"); do
  start=$(now_ns)
  "$converter" --size 128x64 --to c -d "$folder/out-c" "$folder"/wide/*.png
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
