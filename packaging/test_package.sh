#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root as dpkg would
# lay it out, and checks what only the package can get wrong: a command that runs from there,
# the desktop entry, the icons, the manual pages, the licence, the AppStream data, the README,
# the dependencies, and, when VARNELLO_LINTIAN is set (CI sets it), lintian's verdict.
#   test_package.sh BUILD_FOLDER VERSION with-window|without-window
set -euo pipefail
source_dir=$(dirname "$0")/..
build=$1
version=$2
window=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack did not build the package"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
root=$scratch/root
dpkg-deb -x "${debs[0]}" "$root"

# The command from the package, with no display: it must find everything without the build.
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/varnello-convert" --version)
[ "$got" = "varnello-convert $version" ] || fail "--version said '$got'"
# It needs the core alone: no widgets where a build server runs it.
if readelf -d "$root/usr/bin/varnello-convert" | grep -q 'NEEDED.*Widgets'; then
    fail "varnello-convert links Qt Widgets"
fi

desktop=$root/usr/share/applications/varnello.desktop
[ -s "$root/usr/share/doc/varnello/README.md" ] || fail "the README is missing"
grep -qx 'Name=65ｋ色Varnello' "$desktop" || fail "the desktop entry lacks the program's name"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry"
fi
# Also finds the desktop entry that the AppStream data names.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$root" || fail "AppStream data"
fi
holder=$(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")
grep -qx "Copyright: $holder" "$root/usr/share/doc/varnello/copyright" || fail "copyright file"
# The page comes from --help at build time, so it must tell of each option --help does.
page=$(gzip -dc "$root/usr/share/man/man1/varnello-convert.1.gz" | sed 's/\\-/-/g')
options=$("$root/usr/bin/varnello-convert" --help | grep -oE -- '^ +(-., )?--[a-z-]+' | grep -oE -- '--.*')
for option in $options; do
    grep -q -- "$option" <<<"$page" || fail "the manual page lacks $option"
done
# PNG width and height are the big-endian words at bytes 16 and 20.
for size in 32 128; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/varnello.png
    [ -s "$png" ] || fail "the ${size}x${size} icon is missing"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done

depends=$(dpkg-deb -f "${debs[0]}" Depends)
needed=(libqt6core6 libqt6gui6 fonts-ipafont-gothic libc6)
if [ "$window" = with-window ]; then
    needed+=(libqt6widgets6)
    [ -x "$root/usr/bin/varnello" ] || fail "usr/bin/varnello is missing"
    [ -s "$root/usr/share/man/man1/varnello.1.gz" ] || fail "varnello's manual page is missing"
fi
for package in "${needed[@]}"; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

# Lines of the description fit 80 columns; ｋ and 色 take two.
width=$(dpkg-deb -f "${debs[0]}" Description | LC_ALL=C.UTF-8 wc -L)
[ "$width" -le 80 ] || fail "a description line is $width columns wide"

# lintian takes a few seconds of every test run, so it runs where CI asks for it.
if [ -n "${VARNELLO_LINTIAN-}" ]; then
    lintian --fail-on error,warning "${debs[0]}" || fail "lintian"
fi
