#!/bin/sh
# Every tracked C++ source must be formatted as the committed .clang-format says.
# Usage: format_check.sh SOURCE_DIR. Exits 77 (skipped) outside a git checkout.
cd "$1" || exit 1
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "not a git checkout: the tracked sources cannot be listed, the formatting check is skipped"
  exit 77
fi
if ! command -v clang-format >/dev/null; then
  echo "clang-format is missing: scripts/setup.sh installs it"
  exit 1
fi
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
