#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given seconds (60 by
# default), starting from its committed seed corpus
# and the hostile corpus. New inputs go to
# build/fuzz/corpus/<target>; whatever a target finds is written to
# build/fuzz/findings/ and stops the script. Last, the plain build replays the
# picture corpus the fuzzing grew through the same checks.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
# The .bit target saves every input; on a memory file system its flush is cheap.
[[ -d /dev/shm ]] && export TMPDIR=/dev/shm
# libFuzzer checks for leaks after every input that allocated more than it
# freed; the sanitizer's own check at exit adds nothing, and its tracer
# sometimes crashes on the threads Qt leaves behind.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:leak_check_at_exit=0"
scripts/setup.sh --fuzz
scripts/build.sh fuzz
for target in bit nokia picture stream plugins; do
  # The streaming readers start from the pictures' seeds; a progressive JPEG
  # may hold 96 MiB of coefficients there, within libjpeg's 128 MiB. The
  # plugin formats have seeds of their own, and the hostile pictures.
  source=${target/stream/picture}
  hostile=${source/plugins/picture}
  limit=64
  [[ $target == stream ]] && limit=160
  corpus="build/fuzz/corpus/$target"
  findings="build/fuzz/findings/$target/"
  seeds="build/fuzz/seeds/$target"
  mkdir -p "$corpus" "$findings" "$seeds"
  # Pictures at the size limits take a tenth of a second or more each, and
  # so would every mutation of them: they stay in the replayed corpus only.
  find "tests/fuzz/corpus/$source" "tests/hostile/$hostile" -type f ! -name '*_at_the_*_limit*' \
    -exec cp {} "$seeds" \;
  echo "== fuzz_$target for $seconds s"
  # 64 MiB is what opening any one file may cost; 1 s is far beyond any real one.
  build/fuzz/tests/fuzz/"fuzz_$target" -max_total_time="$seconds" -timeout=1 -malloc_limit_mb="$limit" \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings" \
    "$corpus" "$seeds"
done
# Under the address sanitizer fresh memory is always filled alike, so whether
# a picture's pixels depend on it is checked afterwards, in the plain build,
# over everything the picture target kept.
scripts/build.sh default
build/default/tests/fuzz/pelorin_replay picture build/fuzz/corpus/picture build/fuzz/corpus/plugins \
  2>build/fuzz/replay.log \
  || { tail -n 3 build/fuzz/replay.log; exit 1; }
