#!/usr/bin/env bash
# Installs what is missing, builds Pelorin and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
exec build/default/app/pelorin "$@"
