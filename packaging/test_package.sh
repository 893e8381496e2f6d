#!/usr/bin/env bash
# Builds the Debian packages from a build folder, unpacks each into a scratch root of its own as
# dpkg would lay it out, and checks what only the packages can get wrong: the command line's
# package alone runs and converts with nothing of the window's (no Qt Gui, no X11, no fonts),
# the window's package has its desktop entry, icons, AppStream data and manual page, each has
# its licence, changelog and dependencies, and, when VARNELLO_LINTIAN is set (CI sets it),
# lintian's verdict on both.
#   test_package.sh BUILD_FOLDER VERSION with-window|without-window
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$1
version=$2
window=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack did not build the packages"; }
convert_deb=$scratch/out/varnello-convert_${version}_$(dpkg --print-architecture).deb
window_deb=$scratch/out/varnello_${version}_$(dpkg --print-architecture).deb
[ -f "$convert_deb" ] || fail "no varnello-convert package: $(ls "$scratch/out")"

holder=$(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")
check_common() { # ROOT PACKAGE DEB
    [ -s "$1/usr/share/doc/$2/README.md" ] || fail "$2: the README is missing"
    # Each page the README links to is there.
    for page in $(grep -o '(docs/[^)#]*' "$1/usr/share/doc/$2/README.md" | cut -c2- | sort -u); do
        [ -s "$1/usr/share/doc/$2/$page" ] || fail "$2: $page, which the README links to, is missing"
    done
    grep -qx "Copyright: $holder" "$1/usr/share/doc/$2/copyright" || fail "$2: copyright file"
    gzip -dc "$1/usr/share/doc/$2/changelog.gz" | head -1 | grep -q "^$2 ($version) " ||
        fail "$2: the changelog is not its own"
    # Lines of the description fit 80 columns; ｋ and 色 take two.
    width=$(dpkg-deb -f "$3" Description | LC_ALL=C.UTF-8 wc -L)
    [ "$width" -le 80 ] || fail "$2: a description line is $width columns wide"
}
has() { grep -Eq "(^|, )$2( |,|$)" <<<"$1"; }

# The command line's package on its own.
root=$scratch/convert
dpkg-deb -x "$convert_deb" "$root"
check_common "$root" varnello-convert "$convert_deb"
[ ! -e "$root/usr/bin/varnello" ] || fail "the window program is in the command line's package"
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/varnello-convert" --version)
[ "$got" = "varnello-convert $version" ] || fail "--version said '$got'"
for picture in "$source_dir"/tests/data/pictures/{jpeg_baseline.jpg,png_palette.png,gif_two_colours.gif}; do
    env -u DISPLAY "$root/usr/bin/varnello-convert" -q -o "$scratch/out.BIN" "$picture" ||
        fail "the packaged command did not convert $(basename "$picture")"
done
# Nothing of Qt nor of a window's stack: `readelf -d` names each library the program needs.
needed=$(readelf -d "$root/usr/bin/varnello-convert" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for library in Qt6Core Qt6Gui Qt6Widgets X11 xcb GL EGL fontconfig freetype harfbuzz xkbcommon dbus; do
    if grep -qi "^lib$library" <<<"$needed"; then
        fail "varnello-convert needs lib$library: $(tr '\n' ' ' <<<"$needed")"
    fi
done
depends=$(dpkg-deb -f "$convert_deb" Depends)
for package in libjpeg62-turbo libspng0 libgif7 zlib1g libc6; do
    has "$depends" "$package" || fail "varnello-convert's Depends lacks $package: $depends"
done
for package in libqt6core6 libqt6gui6 libqt6widgets6 fonts-ipafont-gothic; do
    ! has "$depends" "$package" || fail "varnello-convert depends on $package: $depends"
done
# The page comes from --help at build time, so it must tell of each option --help does.
page=$(gzip -dc "$root/usr/share/man/man1/varnello-convert.1.gz" | sed 's/\\-/-/g')
options=$("$root/usr/bin/varnello-convert" --help | grep -oE -- '^ +(-., )?--[a-z-]+' | grep -oE -- '--.*')
for option in $options; do
    grep -q -- "$option" <<<"$page" || fail "the manual page lacks $option"
done
debs=("$convert_deb")

if [ "$window" = with-window ]; then
    [ -f "$window_deb" ] || fail "no varnello package: $(ls "$scratch/out")"
    root=$scratch/window
    dpkg-deb -x "$window_deb" "$root"
    check_common "$root" varnello "$window_deb"
    [ -x "$root/usr/bin/varnello" ] || fail "usr/bin/varnello is missing"
    [ ! -e "$root/usr/bin/varnello-convert" ] || fail "the command line is in the window's package"
    [ -s "$root/usr/share/man/man1/varnello.1.gz" ] || fail "varnello's manual page is missing"
    desktop=$root/usr/share/applications/varnello.desktop
    grep -qx 'Name=65ｋ色Varnello' "$desktop" || fail "the desktop entry lacks the program's name"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop entry"
    fi
    # Also finds the desktop entry that the AppStream data names.
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate-tree --no-net "$root" || fail "AppStream data"
    fi
    # PNG width and height are the big-endian words at bytes 16 and 20.
    for size in 32 128; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/varnello.png
        [ -s "$png" ] || fail "the ${size}x${size} icon is missing"
        dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
        [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
    done
    depends=$(dpkg-deb -f "$window_deb" Depends)
    for package in libqt6core6 libqt6gui6 libqt6widgets6 fonts-ipafont-gothic libc6; do
        has "$depends" "$package" || fail "varnello's Depends lacks $package: $depends"
    done
    has "$(dpkg-deb -f "$window_deb" Recommends)" varnello-convert ||
        fail "varnello does not recommend varnello-convert"
    debs+=("$window_deb")
fi

# lintian takes a few seconds of every test run, so it runs where CI asks for it.
if [ -n "${VARNELLO_LINTIAN-}" ]; then
    lintian --fail-on error,warning "${debs[@]}" || fail "lintian"
fi
