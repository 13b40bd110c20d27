#!/usr/bin/env bash
# The README's contact sheet from a run of bench/halftone_quality.sh: a photo,
# a logo and a page of text, each as fitted (grey), with Pelorin's defaults and
# with the peer of highest mean structure, at the screen's size and at 4 x.
#
#   bench/contact_sheet.sh QUALITY_OUT_DIR [PEER] [OUTPUT]
set -euo pipefail
results="$1"
peer="${2:-imagemagick-fs}"
output="${3:-docs/contact-sheet.png}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rows=()
for name in astronaut logo page; do
  tiles=()
  for scale in 100 400; do
    for source in "fitted/$name.pgm" "defaults/$name.pbm" "$peer/$name.pbm"; do
      tile="$work/$name-$scale-${source%%/*}.png"
      /usr/bin/convert "$results/$source" -scale "$scale%" "$tile"
      tiles+=("$tile")
    done
  done
  montage -font DejaVu-Sans -pointsize 14 \
    -label "1 x" "${tiles[0]}" -label "1 x" "${tiles[1]}" -label "1 x" "${tiles[2]}" \
    -label "$name, 4 x" "${tiles[3]}" -label "Pelorin, 4 x" "${tiles[4]}" -label "$peer, 4 x" "${tiles[5]}" \
    -tile 6x1 -geometry +10+8 -background '#d0d0d0' "$work/row-$name.png"
  rows+=("$work/row-$name.png")
done
/usr/bin/convert "${rows[@]}" -background '#d0d0d0' -append "$output"
