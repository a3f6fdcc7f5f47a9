#!/bin/sh
# Makes the Debian package from an existing build and checks it:
#
#   packaging/make-deb.sh BUILD-FOLDER
#
# CPack installs the build into a staging folder (stripped), takes Depends from
# dpkg-shlibdeps and writes BUILD-FOLDER/scoutwell_VERSION_ARCH.deb; then lintian must
# report no error, and appstreamcli and desktop-file-validate must accept the metainfo and
# the desktop entry as installed. Nothing is compiled here.
set -eu
build=$(cd "$1" && pwd)
[ -f "$build/CPackConfig.cmake" ] || { echo "$build is not a configured build folder" >&2; exit 2; }

rm -f "$build"/scoutwell_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build" >"$build/cpack.log" 2>&1 ||
    { cat "$build/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
set -- "$build"/scoutwell_*.deb
deb="$1"
[ -f "$deb" ] || { cat "$build/cpack.log" >&2; echo "cpack wrote no package" >&2; exit 1; }

echo "Checking $deb"
lintian --fail-on error "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$root/usr/share/applications/scoutwell.desktop"
echo "$(basename "$deb"): lintian without errors, metainfo and desktop entry valid"
echo "Install it with: sudo apt install $deb"
