#!/bin/sh
# Fails when a program or library the build made has an empty entry in its
# run-time library search path (RPATH or RUNPATH): an empty entry means the
# current folder, from which the program would then load libraries.
# Usage: no_empty_search_path.sh BUILD_FOLDER
set -eu
checked=0
bad=0
for file in $(find "$1" -path '*/CMakeFiles' -prune -o -type f \( -perm -u+x -o -name '*.so*' \) -print); do
    head -c 4 "$file" | grep -q 'ELF' || continue
    checked=$((checked + 1))
    for path in $(readelf -d "$file" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]$/[\2]/p'); do
        case "$path" in
        "[]" | "[:"* | *":]" | *"::"*)
            echo "$file: empty entry in its library search path $path"
            bad=1
            ;;
        esac
    done
done
echo "$checked programs and libraries checked"
[ "$checked" -gt 0 ] && [ "$bad" -eq 0 ]
