#!/usr/bin/env bash
# Configures (once) and builds one preset: default, sanitize or bench.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
[[ -f "build/$preset/CMakeCache.txt" ]] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
