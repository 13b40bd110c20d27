#!/usr/bin/env bash
# Retakes docs/main-window.png: the real window with a Nokia logo loaded,
# captured by the end-to-end test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --docs
scripts/build.sh default
tests/e2e/real_window.sh build/default/app/pelorin "$PWD/docs/main-window.png"
