#!/usr/bin/env bash
# Kills saves at random moments and counts what they leave: outputs damaged
# (neither the old nor the new content), outputs missing, and temporary files
# still there after the next save. Every save goes through the one writer that
# Save Bit and Save BMP use; pelorin-convert drives it, a batch of 50 outputs
# a run so that most kills land while a file is being written.
#
#   bench/kill_saves.sh PELORIN_CONVERT [KILLS_PER_CASE] [FOLDER...]
# Folders default to /dev/shm (tmpfs) and the current file system.
set -euo pipefail
convert="$(realpath "$1")"
kills="${2:-200}"
shift $(( $# >= 2 ? 2 : $# ))
folders=("$@")
((${#folders[@]})) || folders=(/dev/shm "$PWD")
count=50

# Two screens that differ in every byte, as .bit files.
make_inputs() {
  local dir="$1"
  mkdir -p "$dir/a" "$dir/b"
  head -c 576 /dev/zero >"$dir/a/screen.bit"
  head -c 576 /dev/zero | tr '\0' '\377' >"$dir/b/screen.bit"
  for i in $(seq 1 $count); do
    cp "$dir/a/screen.bit" "$dir/a/in$i.bit"
    cp "$dir/b/screen.bit" "$dir/b/in$i.bit"
  done
  "$convert" "$dir/a/screen.bit" --to bmp -o "$dir/a.bmp"
  "$convert" "$dir/b/screen.bit" --to bmp -o "$dir/b.bmp"
  cp "$dir/a/screen.bit" "$dir/a.bit"; cp "$dir/b/screen.bit" "$dir/b.bit"
}

# One case: kills of batches writing FORMAT into out/, then a whole run.
run_case() {
  local dir="$1" format="$2" damaged=0 missing=0 left=0 killed=0
  rm -rf "$dir/out"
  "$convert" -d "$dir/out" --to "$format" "$dir"/a/in*.bit
  local new=a
  for ((k = 0; k < kills; k++)); do
    new=$([[ $new == a ]] && echo b || echo a)
    "$convert" -d "$dir/out" --to "$format" "$dir/$new"/in*.bit 2>/dev/null &
    local pid=$!
    sleep "0.0$((RANDOM % 60 + 5))"
    kill -9 "$pid" 2>/dev/null && killed=$((killed + 1))
    wait "$pid" 2>/dev/null || true
    for i in $(seq 1 $count); do
      local file="$dir/out/in$i.$format"
      if [[ ! -e $file ]]; then
        missing=$((missing + 1))
      elif ! cmp -s "$file" "$dir/a.$format" && ! cmp -s "$file" "$dir/b.$format"; then
        damaged=$((damaged + 1))
      fi
    done
    # The next save into the folder clears what the killed one left.
    "$convert" "$dir/a/screen.bit" --to "$format" -o "$dir/out/in1.$format"
    left=$((left + $(find "$dir/out" -name '.*' -type f | wc -l)))
  done
  printf '%-10s %-5s %6d kills landed %8d damaged %8d missing %8d temporary files left\n' \
    "$(df --output=fstype "$dir" | tail -1)" "$format" "$killed" "$damaged" "$missing" "$left"
}

for folder in "${folders[@]}"; do
  work="$(mktemp -d "$folder/pelorin-kills-XXXXXX")"
  trap 'rm -rf "$work"' EXIT
  make_inputs "$work"
  # .bit output is Save Bit's writing, .bmp output Save BMP's.
  for format in bit bmp; do run_case "$work" "$format"; done
  rm -rf "$work"
done
