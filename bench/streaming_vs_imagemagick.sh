#!/usr/bin/env bash
# Reading large photos: the streaming readers (bench/stream_read, decoding and
# reducing to grey) against ImageMagick turning the same file into a 96 x 48
# one-bit picture, each under /usr/bin/time -v, side by side with the ratios.
# The pictures are made here by ImageMagick, on tmpfs.
#
#   bench/streaming_vs_imagemagick.sh path/to/stream_read
set -euo pipefail
reader=$(realpath "$1")
/usr/bin/convert -version | head -n 1 | grep -q ImageMagick || { echo "/usr/bin/convert is not ImageMagick" >&2; exit 1; }
work=$(mktemp -d /dev/shm/pelorin-stream.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A photo-like picture: a plasma a tenth of the size, scaled up, with noise, as a camera's.
make() {  # make WIDTHxHEIGHT OPTIONS... FILE
    local size=$1 file=${*: -1}
    /usr/bin/convert -seed 7 -size "$((${size%x*} / 10))x$((${size#*x} / 10))" plasma:fractal -resize "$size!" \
        -attenuate 0.2 +noise Gaussian "${@:2:$#-2}" "$file"
}
make 6000x4000 -quality 90 baseline24.jpg
make 4000x3000 -quality 90 -interlace JPEG progressive12.jpg
make 8000x5000 -define png:compression-level=1 png40.png
# Just under 100 megapixels, scaled without noise: ImageMagick takes minutes to add it there.
/usr/bin/convert -seed 7 -size 1200x833 plasma:fractal -scale '12000x8333!' -quality 85 baseline100.jpg
/usr/bin/convert -seed 7 -size 1200x833 plasma:fractal -scale '12000x8333!' -define png:compression-level=1 png100.png

measure() {  # prints seconds and peak resident MiB of a command
    /usr/bin/time -v "$@" 2>time.txt >/dev/null || { cat time.txt >&2; exit 1; }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = t[n] + 60 * t[n - 1] }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.3f %.1f\n", s, kb / 1024 }' time.txt
}

printf '%-18s %10s %10s %10s %10s %8s %8s\n' picture "s" "MiB" "IM s" "IM MiB" "time" "memory"
for picture in baseline24.jpg progressive12.jpg png40.png; do
    read -r ours oursMiB < <(measure "$reader" "$picture")
    read -r theirs theirsMiB < <(measure /usr/bin/convert "$picture" -auto-orient -resize 96x48 \
        -dither FloydSteinberg -monochrome out.pbm)
    printf '%-18s %10.3f %10.1f %10.3f %10.1f %8.3f %8.3f\n' "$picture" "$ours" "$oursMiB" "$theirs" \
        "$theirsMiB" "$(awk "BEGIN { print $ours / $theirs }")" "$(awk "BEGIN { print $oursMiB / $theirsMiB }")"
done

echo "The window's corner (the first 48 rows) of 100-megapixel pictures:"
for picture in baseline100.jpg png100.png; do
    read -r ours oursMiB < <(measure "$reader" --corner "$picture")
    printf '%-18s %10.3f s %8.1f MiB   %s\n' "$picture" "$ours" "$oursMiB" "$("$reader" --corner "$picture")"
done
