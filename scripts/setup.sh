#!/usr/bin/env bash
# Installs the Debian packages that Pelorin needs, if any is missing.
# This is the one list of them. With --docs it also installs what the
# screenshot script needs, with --icons what scripts/make-icons.sh needs,
# with --bench what the benchmarks need and compare against, with --fuzz what
# the fuzz script needs.
set -euo pipefail

packages=(
  cmake ninja-build g++            # the build
  qt6-base-dev                     # Qt 6 Widgets and Qt Test
  qt6-image-formats-plugins        # WebP and TIFF pictures, through Qt's plugins
  libqt6svg6                       # SVG pictures, through Qt's plugin
  zlib1g-dev                       # checking a PNG's image data before Qt reads it
  libjpeg62-turbo-dev              # JPEG decoded at a reduced scale, row by row
  libpng-dev                       # PNG read row by row
  libgtest-dev                     # GoogleTest
  libbenchmark-dev                 # Google Benchmark
  clang-format                     # the formatting check among the tests
  xvfb openbox xdotool x11-utils   # the end-to-end test in a real window
  fonts-liberation                 # a metric-compatible "Times New Roman" for the About window
  dpkg-dev fakeroot file           # the Debian package: dpkg-buildflags, dpkg-shlibdeps, dpkg-deb
  lintian                          # checks of the package
  desktop-file-utils appstream     # checks of the desktop entry and the metainfo
)
docs_packages=(
  imagemagick                      # screenshots of the window for the README
)
icons_packages=(
  librsvg2-bin                     # rsvg-convert renders the SVG icon
)
bench_packages=(
  valgrind time                    # instruction counts and peak memory of start-up
  imagemagick                      # the pipeline pelorin-convert is measured against
  netpbm python3-pil               # the halftoning peers of bench/halftone_quality.sh
)
fuzz_packages=(
  clang-14 libclang-rt-14-dev      # scripts/fuzz.sh: libFuzzer and the sanitizers
)
[[ "${1:-}" == "--docs" ]] && packages+=("${docs_packages[@]}")
[[ "${1:-}" == "--icons" ]] && packages+=("${icons_packages[@]}")
[[ "${1:-}" == "--bench" ]] && packages+=("${bench_packages[@]}")
[[ "${1:-}" == "--fuzz" ]] && packages+=("${fuzz_packages[@]}")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
    || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

sudo=()
[[ "$(id -u)" -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
