#!/usr/bin/env bash
# Installs what is missing, builds the optimised window and pelorin-convert
# (no tests) and starts the window. A second run finds everything built and starts at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
[[ -f build/release/CMakeCache.txt ]] || cmake --preset release >/dev/null
cmake --build --preset release --target pelorin pelorin-convert
exec build/release/app/pelorin "$@"
