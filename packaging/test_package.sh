#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root as dpkg would
# lay it out, and checks what a user gets: a command that runs from there, the desktop entry,
# the icons, the README and the dependencies.
#   test_package.sh BUILD_FOLDER VERSION with-window|without-window
set -euo pipefail
build=$1
version=$2
window=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack did not build the package"
fi
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root

# The command from the package, with no display: it must find everything without the build.
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/varnello-convert" --version)
[ "$got" = "varnello-convert $version" ] || fail "--version said '$got'"

# A 1 x 1 red BMP through a pipe: 0xF800, low byte first.
bmp='BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0'
bmp+='\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xff\0'
bin=$(printf "$bmp" | env -u DISPLAY "$root/usr/bin/varnello-convert" -o - - | od -An -tx1 | tr -d ' \n')
[ "$bin" = "00f8" ] || fail "a red pixel gave '$bin'"

for file in usr/share/applications/varnello.desktop \
    usr/share/icons/hicolor/32x32/apps/varnello.png \
    usr/share/icons/hicolor/128x128/apps/varnello.png \
    usr/share/doc/varnello/README.md; do
    [ -s "$root/$file" ] || fail "$file is missing"
done
# PNG width and height are the big-endian words at bytes 16 and 20.
for size in 32 128; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/varnello.png
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done
grep -qx 'Name=65ｋ色Varnello' "$root/usr/share/applications/varnello.desktop" ||
    fail "the desktop entry lacks the program's name"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/varnello.desktop" || fail "desktop entry"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
needed=(libqt6core6 libqt6gui6 fonts-ipafont-gothic libc6)
if [ "$window" = with-window ]; then
    needed+=(libqt6widgets6)
    [ -x "$root/usr/bin/varnello" ] || fail "usr/bin/varnello is missing"
fi
for package in "${needed[@]}"; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done
echo "package checks passed"
