#!/usr/bin/env bash
# The halftoning quality benchmark: real pictures from Debian's packages
# (photos, a logo, line art, scanned text), fitted to 96 x 48 and made one-bit
# by Pelorin and by the peers (ImageMagick, netpbm, Pillow), then measured by
# build/bench/bench/halftone_quality. The packages are downloaded and unpacked
# into a temporary folder at each run, never installed or kept in the tree.
#
#   bench/halftone_quality.sh QUALITY_PROGRAM [OUT_DIR]
set -euo pipefail
quality="$(realpath "$1")"
out="${2:-$(mktemp -d)}"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Package, then the pictures it ships, by path inside the package.
skimage=usr/lib/python3/dist-packages/skimage/data
mate=usr/share/backgrounds/mate
declare -A pictures=(
  [python3-skimage]="$skimage/astronaut.png $skimage/camera.png $skimage/chelsea.png $skimage/coffee.png
                     $skimage/coins.png $skimage/rocket.jpg $skimage/motorcycle_left.png $skimage/moon.png
                     $skimage/logo.png $skimage/horse.png $skimage/page.png $skimage/text.png
                     $skimage/bw_text.png"
  [mate-backgrounds]="$mate/nature/LadyBird.jpg $mate/nature/YellowFlower.jpg $mate/nature/TwoWings.jpg
                      $mate/nature/Storm.jpg $mate/nature/FreshFlower.jpg $mate/nature/GreenMeadow.jpg
                      $mate/nature/Garden.jpg $mate/desktop/Float-into-MATE.png"
)
mkdir -p "$work/debs" "$work/root" "$out/pictures"
for package in "${!pictures[@]}"; do
  (cd "$work/debs" && apt-get download -q "$package" >/dev/null 2>&1)
  dpkg-deb -x "$work"/debs/"$package"_*.deb "$work/root"
  for picture in ${pictures[$package]}; do cp "$work/root/$picture" "$out/pictures/"; done
done

# The peers, each as its users would call it. ImageMagick must be the real one.
/usr/bin/convert -version | head -1 | grep -q ImageMagick || { echo "/usr/bin/convert is not ImageMagick" >&2; exit 1; }
for peer in imagemagick-monochrome imagemagick-fs netpbm-fs netpbm-atkinson pillow; do mkdir -p "$out/$peer"; done
for path in "$out"/pictures/*; do
  name="$(basename "${path%.*}")"
  /usr/bin/convert "$path" -background white -alpha remove -resize 96x48 -monochrome \
    "$out/imagemagick-monochrome/$name.pbm"
  /usr/bin/convert "$path" -background white -alpha remove -resize 96x48 -dither FloydSteinberg -monochrome \
    "$out/imagemagick-fs/$name.pbm"
  case "$path" in
    *.png) pngtopnm -mix -background white "$path" >"$work/in.pnm" 2>/dev/null ;;
    *) jpegtopnm "$path" >"$work/in.pnm" 2>/dev/null ;;
  esac
  ppmtopgm "$work/in.pnm" | pamscale -xyfit 96 48 >"$work/fitted.pgm"
  pamditherbw -fs "$work/fitted.pgm" | pamtopnm >"$out/netpbm-fs/$name.pbm"
  pamditherbw -atkinson "$work/fitted.pgm" | pamtopnm >"$out/netpbm-atkinson/$name.pbm"
  /usr/bin/python3 - "$path" "$out/pillow/$name.pbm" <<'PY'
import sys
from PIL import Image
picture = Image.open(sys.argv[1]).convert("RGBA")
on_white = Image.new("RGBA", picture.size, "white")
on_white.alpha_composite(picture)
scale = min(96 / picture.width, 48 / picture.height)
size = (max(1, round(picture.width * scale)), max(1, round(picture.height * scale)))
on_white.convert("RGB").resize(size, Image.LANCZOS).convert("1").save(sys.argv[2])
PY
done

echo "Halftoning quality: $(ls "$out/pictures" | wc -l) pictures from python3-skimage and mate-backgrounds, results in $out"
"$quality" "$out" imagemagick-monochrome="$out/imagemagick-monochrome" imagemagick-fs="$out/imagemagick-fs" \
  netpbm-fs="$out/netpbm-fs" netpbm-atkinson="$out/netpbm-atkinson" pillow="$out/pillow" -- "$out"/pictures/*
