#!/usr/bin/env bash
# pelorin-convert against the ImageMagick pipeline that writes the same band
# layout, timed side by side in one run, as whole processes:
#   1. one conversion, PNG -> .bit
#   2. 1000 Nokia logos in one call, per file, against the pipeline per file
# first with every file on a tmpfs (/dev/shm), so that the disk's flush time
# does not decide (pelorin-convert makes each file durable, ImageMagick does
# not), then with the files on the disk.
# Usage: convert_vs_imagemagick.sh PELORIN_CONVERT [ROUNDS]
set -euo pipefail
converter=$(realpath "$1")
rounds=${2:-30}
# ImageMagick itself: a `convert` earlier on the PATH may be a stand-in.
imagemagick=/usr/bin/convert
"$imagemagick" -version | head -n 1 | grep -q ImageMagick ||
  { echo "$imagemagick is not ImageMagick (scripts/setup.sh --bench installs it)" >&2; exit 1; }
logo_count=1000

now_ns() { date +%s%N; }

# Milliseconds with two decimals from nanoseconds and a count.
per_item_ms() { awk -v ns="$1" -v n="$2" 'BEGIN { printf "%.2f", ns / n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

measure_in() {
  local where=$1 label=$2
  local folder
  folder=$(mktemp -d "$where/pelorin-bench.XXXXXX")
  # shellcheck disable=SC2064
  trap "rm -rf '$folder'" RETURN

  "$imagemagick" -seed 17 -size 96x48 plasma:fractal "$folder/in.png"
  mkdir "$folder/logos" "$folder/out"
  {
    printf 'NOL'
    head -c 17 /dev/zero
    for _ in $(seq 14); do printf '%s' 000111000111000111000111000111000111000111000111000111000111000111000111; done
  } >"$folder/logos/logo0.nol"
  for i in $(seq 1 $((logo_count - 1))); do cp "$folder/logos/logo0.nol" "$folder/logos/logo$i.nol"; done

  local ours=0 theirs=0 start
  for _ in $(seq "$rounds"); do
    start=$(now_ns)
    "$converter" "$folder/in.png" -o "$folder/ours.bit"
    ours=$((ours + $(now_ns) - start))
    start=$(now_ns)
    "$imagemagick" "$folder/in.png" -fill black +opaque white -crop 96x8 +repage -transpose -append "MONO:$folder/theirs.bit"
    theirs=$((theirs + $(now_ns) - start))
  done
  local ours_ms theirs_ms
  ours_ms=$(per_item_ms "$ours" "$rounds")
  theirs_ms=$(per_item_ms "$theirs" "$rounds")

  start=$(now_ns)
  "$converter" -d "$folder/out" "$folder"/logos/*.nol
  local batch=$(($(now_ns) - start))
  local logo_ms
  logo_ms=$(per_item_ms "$batch" "$logo_count")

  printf '%-8s one conversion PNG -> .bit: pelorin-convert %s ms, ImageMagick %s ms: %sx faster (goal: 3x)\n' \
    "$label" "$ours_ms" "$theirs_ms" "$(ratio "$theirs_ms" "$ours_ms")"
  printf '%-8s %d logos in one call: %s ms per file, ImageMagick %s ms per file: %sx faster (goal: 20x)\n' \
    "$label" "$logo_count" "$logo_ms" "$theirs_ms" "$(ratio "$theirs_ms" "$logo_ms")"
}

measure_in /dev/shm tmpfs
measure_in "${PELORIN_BENCH_DISK:-$(dirname "$converter")}" disk
