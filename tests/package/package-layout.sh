#!/bin/sh
# Makes the Debian package from the build (no compiling: CPack installs what is built),
# unpacks it into a scratch root with dpkg -x and checks it as an installation:
#
#   package-layout.sh BUILD-FOLDER VERSION TESTS-FOLDER
#
# every file where Debian and the desktop look for it, the version everywhere, Depends from
# the shared libraries, a manual page that names every flag of the program's own help,
# and the installed program running from the scratch root: a search without a window, and
# its window module found in the multiarch folder under Xvfb.
build=$(cd "$1" && pwd)
version="$2"
tests="$3"
work="$build/package-test"
failed=0

fail() {
    echo "FAIL: $*"
    failed=1
}

for tool in cpack dpkg-deb dpkg-shlibdeps groff pkg-config; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing (make test installs it)"; exit 1; }
done
rm -rf "$work" && mkdir -p "$work"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "cpack failed"
    exit 1
fi
deb=$(ls "$work"/scoutwell_"$version"_*.deb 2>/dev/null)
[ -f "$deb" ] || { cat "$work/cpack.log"; echo "no scoutwell_${version}_*.deb made"; exit 1; }
root="$work/root"
dpkg-deb -x "$deb" "$root" || { echo "dpkg -x failed"; exit 1; }

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
nautilus=$(pkg-config --variable=extensiondir libnautilus-extension-4)
for path in \
    usr/bin/scoutwell usr/bin/scoutwell-file-manager-actions \
    "usr/lib/$multiarch/scoutwell/scoutwell-window.so" \
    "${nautilus#/}/libscoutwell-nautilus.so" \
    usr/share/applications/scoutwell.desktop \
    usr/share/mime/packages/scoutwell-srf.xml \
    usr/share/icons/hicolor/scalable/apps/scoutwell.svg \
    usr/share/scoutwell/help/index.html \
    usr/share/man/man1/scoutwell.1.gz usr/share/man/man1/scoutwell-file-manager-actions.1.gz \
    usr/share/doc/scoutwell/copyright usr/share/doc/scoutwell/changelog.gz \
    usr/share/kio/servicemenus/scoutwell.desktop \
    usr/share/nemo/actions/scoutwell-folder.nemo_action \
    usr/share/nemo/actions/scoutwell-background.nemo_action \
    usr/share/file-manager/actions/scoutwell.desktop; do
    [ -s "$root/$path" ] || fail "$path is missing"
done
for program in usr/bin/scoutwell usr/bin/scoutwell-file-manager-actions; do
    [ -x "$root/$program" ] || fail "$program is not executable"
done
# Nothing lands outside /usr, and nothing from the build's own tools or tests.
unexpected=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$unexpected" ] || fail "installed outside /usr: $unexpected"
for tool in regex-probe runstat make-corpus engine-bench window-bench render-icon gui_tests; do
    [ ! -e "$root/usr/bin/$tool" ] || fail "the build's $tool is in the package"
done

# The icon at each usual size, each PNG as large as its folder says.
for size in 16 22 24 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/scoutwell.png"
    # The PNG header holds the width and height as 32-bit numbers from byte 16 on.
    dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "icon ${size}x${size} is ${dims:-missing}"
done

# One version: the package's, the manual page's, the metainfo's release.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
gzip -dc "$root/usr/share/man/man1/scoutwell.1.gz" >"$work/scoutwell.1"
grep -q "^\.TH SCOUTWELL 1 .*\"Scoutwell $version\"" "$work/scoutwell.1" ||
    fail "the manual page does not name version $version"
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml 2>/dev/null)
grep -q "<release version=\"$version\"" "$metainfo" 2>/dev/null ||
    fail "the metainfo names no release $version"
grep -q '<launchable type="desktop-id">scoutwell.desktop</launchable>' "$metainfo" 2>/dev/null ||
    fail "the metainfo does not launch scoutwell.desktop"
grep -q '<mediatype>application/x-scoutwell-search</mediatype>' "$metainfo" 2>/dev/null ||
    fail "the metainfo does not provide the .srf type"

# Depends as dpkg-shlibdeps found it: Qt's libraries and the Nautilus extension library.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6core6 libqt6widgets6 libnautilus-extension4; do
    echo "$depends" | grep -q "\\b$library\\b" || fail "Depends lacks $library: $depends"
done

# Every flag of the program's help has its entry under OPTIONS in the manual page (a
# switch's "n" form counts as the switch).
help=$("$root/usr/bin/scoutwell" -h) || fail "scoutwell -h failed"
manual=$(groff -man -Tascii -P-cbou "$work/scoutwell.1" 2>/dev/null)
# The tags of the OPTIONS entries ("-d folders", "-h, -?"), one flag a line.
options=$(echo "$manual" | sed -n '/^OPTIONS/,/^EXIT STATUS/p' | grep -E '^ {1,10}-' |
    sed -E 's/^ +//; s/   .*//; s/, /\n/g' | awk '{ print $1 }')
flags=$(echo "$help" | grep -o -- '-[a-z?]\{1,3\}' | sort -u)
[ -n "$flags" ] || fail "no flags in scoutwell -h"
for flag in $flags; do
    case "$flag" in -??n) echo "$flags" | grep -qxF -- "${flag%n}" && flag=${flag%n} ;; esac
    echo "$options" | grep -qxF -- "$flag" || fail "the manual page's OPTIONS lack $flag"
done
for status in 0 1 2; do
    echo "$manual" | grep -q "^ *$status  *" || fail "the manual page lacks exit status $status"
done

# The installed program searches from the scratch root, without a window.
mkdir -p "$work/tree/sub" && echo hello >"$work/tree/sub/found.txt" && echo x >"$work/tree/other.dat"
XDG_CONFIG_HOME="$work/config" "$root/usr/bin/scoutwell" -o "$work/out.txt" -d "$work/tree" \
    -f '*.txt' -s 2>"$work/stderr.txt"
status=$?
[ "$status" -eq 0 ] || fail "the installed scoutwell -o exited $status: $(cat "$work/stderr.txt")"
grep -q "^$work/tree/sub/found.txt	" "$work/out.txt" 2>/dev/null || fail "the installed search found nothing"
# ... and shows its window, with the window module from the multiarch folder.
sh "$tests/gui/starts-under-xvfb.sh" "$root/usr/bin/scoutwell" "$work/xvfb" \
    "$build/lib/libscoutwell_test_preload.so" ||
    fail "the installed program did not show its window"

[ "$failed" -eq 0 ] || exit 1
echo "$(basename "$deb"): every file in place, version $version throughout, the installed program runs"
