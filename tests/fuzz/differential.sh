#!/bin/sh
# Decodes every picture twice, in two processes whose fresh memory is filled
# with different bytes; the pixels must not differ. Under the address
# sanitizer its own fill byte takes the place of glibc's.
# Usage: differential.sh REPLAY PATH...
set -eu
replay=$1
shift
summarise() {
    fill=$1
    shift
    MALLOC_PERTURB_=$fill MALLOC_MMAP_THRESHOLD_=268435456 \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}:malloc_fill_byte=$fill:max_malloc_fill_size=268435456" \
        "$replay" summary "$@"
}
first=$(mktemp)
second=$(mktemp)
trap 'rm -f "$first" "$second"' EXIT
summarise "85" "$@" >"$first"
summarise "170" "$@" >"$second"
diff "$first" "$second"
echo "$(grep -c . "$first") pictures decode alike whatever memory held"
