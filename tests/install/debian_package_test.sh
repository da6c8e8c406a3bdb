#!/usr/bin/env bash
# Makes the Debian package of the build with cpack and checks what it holds: the program
# directory under /opt/corvane, the desktop entry starting it and the icon under /usr/share,
# and the run-time dependencies of Qt widgets and SQLite.
# Usage: debian_package_test.sh BUILD_DIR
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" > /dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-deb-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no .deb"
deb=${debs[0]}

dpkg-deb -c "$deb" | awk '{ print $6 }' > "$work/contents"
for path in ./opt/corvane/Corvane ./opt/corvane/libTrastel.so ./opt/corvane/libserv.so \
            ./opt/corvane/fshz.fnt ./opt/corvane/txt.shx ./opt/corvane/hershey-fonts-acknowledgement.txt \
            ./usr/share/applications/corvane.desktop ./usr/share/icons/hicolor/scalable/apps/corvane.svg; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/corvane.desktop | grep -qx 'Exec=/opt/corvane/Corvane %f' \
  || fail "the desktop entry does not start /opt/corvane/Corvane"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libsqlite3-0 qt6-qpa-plugins; do
  grep -q "\b$package\b" <<< "$depends" || fail "Depends lacks $package: $depends"
done
echo "PASSED: $(basename "$deb")"
