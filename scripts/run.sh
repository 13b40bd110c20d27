#!/usr/bin/env bash
# Installs what is missing, builds the optimised program alone (no tests) and
# starts it. A second run finds everything built and starts at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
[[ -f build/release/CMakeCache.txt ]] || cmake --preset release >/dev/null
cmake --build --preset release --target pelorin
exec build/release/app/pelorin "$@"
