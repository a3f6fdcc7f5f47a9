#!/usr/bin/env bash
# Installs the Debian packages one make target needs, and nothing when all of them are
# present already.
#
#   scripts/deps.sh          building and running the program (make run, make install)
#   scripts/deps.sh test     and the tests' own tools (make test)
#   scripts/deps.sh deb      and what makes and checks the Debian package (make deb)
#   scripts/deps.sh fuzz     and clang with its libFuzzer runtime (make fuzz)
set -euo pipefail

# Building and running: the compiler and Qt, the platform plugins (X11 and Wayland), the
# SVG engine that draws the program's icon, and a font to draw text with.
packages=(
    cmake ninja-build g++ pkg-config make
    qt6-base-dev qt6-base-dev-tools libgl-dev libglib2.0-dev
    qt6-qpa-plugins qt6-wayland libqt6svg6 fonts-dejavu-core
    libarchive-dev zlib1g-dev libxml2-dev libpoppler-cpp-dev
)
# The Nautilus module is built wherever its headers are: the tests and the package need it.
nautilus=(libnautilus-extension-dev)
# dpkg-shlibdeps, which the package's Depends come from.
package_tools=(dpkg-dev file)

case "${1:-}" in
    "") ;;
    test)
        packages+=(
            "${nautilus[@]}" "${package_tools[@]}"
            libgtest-dev libgmock-dev
            xvfb xauth xdotool imagemagick desktop-file-utils dbus
            weston wl-clipboard man-db python3
        )
        ;;
    deb)
        packages+=("${nautilus[@]}" "${package_tools[@]}" lintian appstream desktop-file-utils)
        ;;
    fuzz)
        packages+=(clang-14 libclang-rt-14-dev)
        ;;
    *)
        echo "usage: $0 [test|deb|fuzz]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
