#!/usr/bin/env bash
# Renders the program's icon from data/icons/pelorin.svg: the PNGs that are
# installed into the icon theme, and the window's indexed images built into
# the program (32 x 32 in 16 colours, 48 x 48 and 32 x 32 in 256 colours).
# The results are committed; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --icons
[[ -f build/default/CMakeCache.txt ]] || cmake --preset default >/dev/null
cmake --build --preset default --target pelorin_window_icon

svg=data/icons/pelorin.svg
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$svg" -o "data/icons/pelorin-$size.png"
done

window_icon() { QT_QPA_PLATFORM=offscreen build/default/data/pelorin_window_icon "$@"; }
window_icon 16 data/icons/pelorin-32.png ui/icons/window-32-16.png
window_icon 256 data/icons/pelorin-32.png ui/icons/window-32-256.png
window_icon 256 data/icons/pelorin-48.png ui/icons/window-48-256.png
