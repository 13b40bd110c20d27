#!/usr/bin/env bash
# Builds the Debian package pelorin_<version>_<arch>.deb in the top folder:
# an optimised build with Debian's hardening flags, dependencies from the
# libraries the binaries link, everything the project's install rules install,
# under /usr. Reuses build/package, so a second run only repacks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# The flags Debian builds its packages with, hardening included. CMake takes
# no CPPFLAGS, so they join the compiler flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"

[[ -f build/package/CMakeCache.txt ]] || cmake --preset package >/dev/null
cmake --build --preset package
# fakeroot: the files in the package belong to root whoever builds it.
(cd build/package && fakeroot cpack -G DEB -B "$PWD/deb" >/dev/null)
deb=$(ls build/package/deb/pelorin_*.deb)
cp "$deb" .
echo "${deb##*/}"
