#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --bench
scripts/build.sh bench
for benchmark in build/bench/bench/*_bench; do
  "$benchmark" "$@"
done
bench/convert_vs_imagemagick.sh build/bench/convert/pelorin-convert
build/bench/bench/hostile_figures tests/hostile/picture
build/bench/bench/open_bmp_figures
bench/halftone_quality.sh build/bench/bench/halftone_quality
bench/photos_vs_imagemagick.sh build/bench/convert/pelorin-convert
bench/screen_outputs.sh build/bench/convert/pelorin-convert
bench/kill_saves.sh build/bench/convert/pelorin-convert 200
