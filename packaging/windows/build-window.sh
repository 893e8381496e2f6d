#!/usr/bin/env bash
# Builds the window program for 64-bit Windows: first what build.sh builds (the C libraries
# and varnello-convert.exe), then Qt for Windows (qt.sh: from its cache outside the checkout,
# or built once from Debian's source), then build-windows/window/bin/varnello.exe against both.
# It lays the program out with Qt's DLLs, its Windows plugin and Japanese translations and the
# MinGW runtime in build-windows/varnello/, ready to run, and zips that folder with the README,
# its pages and the licence as build-windows/varnello-VERSION-windows-x86_64.zip.
#   packaging/windows/build-window.sh             install what is missing (as root), then build
#   packaging/windows/build-window.sh --packages  only print the packages, one a line
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=$repo/build-windows
. "$here/qt.sh"

if [ "${1-}" = --packages ]; then
    { bash "$here/build.sh" --packages && printf '%s\n' "${qt_packages[@]}"; } | sort -u
    exit 0
fi

started=$SECONDS
bash "$here/build.sh"
qt=$(qt_ensure)

# Against Qt's own toolchain file, which loads ours: the same compiler and libraries as
# varnello-convert.exe, but the C++ runtime shared with Qt's DLLs rather than built in.
log=$out/logs/window-build.log
echo "build-window.sh: build build-windows/window/bin/varnello.exe"
if ! {
    cmake -S "$repo" -B "$out/window" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH="$qt_host_prefix" -DQT_HOST_PATH_CMAKE_DIR="$qt_host_cmake_dir" \
        -DVARNELLO_SHARED_RUNTIME=ON -DCMAKE_PREFIX_PATH="$out/deps" \
        -DCMAKE_BUILD_TYPE=Release -DVARNELLO_BUILD_TESTS=OFF -DVARNELLO_BUILD_BENCH=OFF &&
        cmake --build "$out/window" --target varnello -j"$(nproc)"
} >"$log" 2>&1; then
    tail -n 25 "$log" >&2
    echo "build-window.sh: the window program did not build; the whole log: $log" >&2
    exit 1
fi

# The folder a user unzips: what windeployqt would lay out, then the documents.
echo "build-window.sh: lay out and zip build-windows/varnello"
layout=$out/varnello
rm -rf "$layout"
mkdir -p "$layout"
cp "$out/window/bin/varnello.exe" "$layout/"
qt_deploy "$layout"
cp "$repo/README.md" "$repo/LICENSE" "$layout/"
mkdir -p "$layout/docs"
cp "$repo"/docs/*.md "$repo"/docs/*.png "$layout/docs/"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/window/CMakeCache.txt")
[ -n "$version" ] || { echo "build-window.sh: the build names no version" >&2; exit 1; }
zip=$out/varnello-$version-windows-x86_64.zip
rm -f "$zip"
(cd "$layout" && zip -qr -X "$zip" .)

echo "build-window.sh: done in $((SECONDS - started)) s: build-windows/varnello/ and" \
    "${zip#"$repo"/}"
