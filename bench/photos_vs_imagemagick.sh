#!/usr/bin/env bash
# Camera photos through the real pelorin-convert with its defaults (fitted,
# read row by row, upright, auto levels, the best halftone) against
# ImageMagick making the same 96 x 48 one-bit picture, each under
# /usr/bin/time -v, side by side with the ratios. The photos are made here by
# ImageMagick, on tmpfs: a plasma a tenth of the size, scaled up, with noise.
#
#   bench/photos_vs_imagemagick.sh path/to/pelorin-convert
set -euo pipefail
converter=$(realpath "$1")
/usr/bin/convert -version | head -n 1 | grep -q ImageMagick || { echo "/usr/bin/convert is not ImageMagick" >&2; exit 1; }
work=$(mktemp -d /dev/shm/pelorin-photos.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

make() {  # make WIDTHxHEIGHT OPTIONS... FILE
    local size=$1 file=${*: -1}
    /usr/bin/convert -seed 7 -size "$((${size%x*} / 10))x$((${size#*x} / 10))" plasma:fractal -resize "$size!" \
        -attenuate 0.2 +noise Gaussian "${@:2:$#-2}" "$file"
}
# JPEGs with their colour at half the resolution each way (4:2:0), as phones
# and most cameras store them; ImageMagick keeps it whole (4:4:4) from quality
# 90 on, which doubles what a progressive JPEG holds while it decodes.
make 6000x4000 -quality 90 -sampling-factor 2x2 baseline24.jpg
make 4000x3000 -quality 90 -sampling-factor 2x2 -interlace JPEG progressive12.jpg
make 4000x3000 -quality 90 -sampling-factor 1x1 -interlace JPEG progressive12-444.jpg
# PNGs of 8 bits a channel, as photos are kept, and of 16 (ImageMagick's own
# depth), whose inflating alone takes most of the time.
make 8000x5000 -depth 8 -define png:compression-level=1 png40.png
make 8000x5000 -define png:compression-level=1 png40-16bit.png
# A photo tagged as stored on its side, as a camera held upright stores it.
make 6000x4000 -quality 90 -sampling-factor 2x2 -orient RightTop side24.jpg

measure() {  # prints seconds and peak resident MiB of a command
    /usr/bin/time -v "$@" 2>time.txt >/dev/null || { cat time.txt >&2; exit 1; }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = t[n] + 60 * t[n - 1] }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.3f %.1f\n", s, kb / 1024 }' time.txt
}

echo "pelorin-convert IN -o OUT.bit against"
echo "/usr/bin/convert IN -auto-orient -resize 96x48 -dither FloydSteinberg -monochrome OUT.pbm"
printf '%-22s %9s %9s %9s %9s %8s %8s\n' photo "s" "MiB" "IM s" "IM MiB" "time" "memory"
for photo in baseline24.jpg progressive12.jpg progressive12-444.jpg png40.png png40-16bit.png side24.jpg; do
    read -r ours oursMiB < <(measure "$converter" "$photo" -o out.bit)
    read -r theirs theirsMiB < <(measure /usr/bin/convert "$photo" -auto-orient -resize 96x48 \
        -dither FloydSteinberg -monochrome out.pbm)
    printf '%-22s %9.3f %9.1f %9.3f %9.1f %8.3f %8.3f\n' "$photo" "$ours" "$oursMiB" "$theirs" "$theirsMiB" \
        "$(awk "BEGIN { print $ours / $theirs }")" "$(awk "BEGIN { print $oursMiB / $theirsMiB }")"
done
echo "(time and memory: pelorin-convert's share of ImageMagick's; files: $(du -h ./*.jpg ./*.png | tr '\t\n' ' '))"

# At the limit, scaled without noise (ImageMagick takes minutes to add it
# there): pelorin-convert alone, ImageMagick would need gigabytes.
echo "pelorin-convert alone on 100-megapixel photos:"
/usr/bin/convert -seed 7 -size 1200x833 plasma:fractal -scale '12000x8333!' -quality 85 baseline100.jpg
/usr/bin/convert -seed 7 -size 1200x833 plasma:fractal -scale '12000x8333!' -define png:compression-level=1 png100.png
for photo in baseline100.jpg png100.png; do
    read -r ours oursMiB < <(measure "$converter" "$photo" -o out.bit)
    printf '%-22s %9.3f %9.1f\n' "$photo" "$ours" "$oursMiB"
done
