#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in a plain
# build and under AddressSanitizer and UndefinedBehaviorSanitizer.
# Needs no display: the tests start their own where they need one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in default sanitize; do
  echo "== $preset build"
  scripts/build.sh "$preset"
  ctest --preset "$preset" </dev/null
done
