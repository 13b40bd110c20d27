#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in a plain
# build and under AddressSanitizer and UndefinedBehaviorSanitizer. Then builds
# the Debian package and checks it: lintian, the desktop entry and metainfo
# validators, and the real-window test against the program unpacked from it.
# On a CI machine (CI=true) as root it also installs the package, runs the
# real-window test against the installed program and removes the package.
# Needs no display: the tests start their own where they need one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in default sanitize; do
  echo "== $preset build"
  scripts/build.sh "$preset"
  ctest --preset "$preset" </dev/null
done

echo "== package"
deb=$(scripts/package.sh | tail -n 1)
lintian --fail-on error,warning "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
app_id=$(sed -n 's/^set(PELORIN_APP_ID "\(.*\)")$/\1/p' CMakeLists.txt)
for file in usr/bin/pelorin usr/share/man/man1/pelorin.1.gz usr/share/doc/pelorin/copyright \
  "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg" "usr/share/icons/hicolor/48x48/apps/$app_id.png"; do
  [[ -f "$unpacked/$file" ]] || { echo "FAIL: the package has no /$file" >&2; exit 1; }
done
desktop-file-validate "$unpacked/usr/share/applications/"*.desktop
appstreamcli validate --pedantic --no-net "$unpacked/usr/share/metainfo/"*.metainfo.xml
tests/e2e/real_window.sh "$unpacked/usr/bin/pelorin"

if [[ "${CI:-}" == true && "$(id -u)" -eq 0 ]]; then
  echo "== installed package"
  trap 'apt-get remove -y -qq pelorin >/dev/null 2>&1 || true; rm -rf "$unpacked"' EXIT
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 "./$deb"
  tests/e2e/real_window.sh /usr/bin/pelorin
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq -o DPkg::Lock::Timeout=600 pelorin
  [[ ! -e /usr/bin/pelorin ]] || { echo "FAIL: /usr/bin/pelorin stays after removal" >&2; exit 1; }
fi
