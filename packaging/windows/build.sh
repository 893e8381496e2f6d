#!/usr/bin/env bash
# Cross-builds varnello-convert for 64-bit Windows: first the C libraries under it, libjpeg-turbo
# (its libjpeg API, with SIMD), libspng and giflib, static, from Debian bookworm's own source
# packages with Debian's patches, into build-windows/deps/ (zlib is Debian's MinGW-w64 build of
# it); then the Wine prefix that runs Windows programs here; then the program and its ZIP in
# build-windows/. Safe to run again: a library already built at the same version and recipe is
# kept, and the program's build is incremental.
#   packaging/windows/build.sh             install what is missing (as root), then build
#   packaging/windows/build.sh --packages  only print the packages, one a line
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=$repo/build-windows
deps=$out/deps
toolchain=$here/mingw-w64-x86_64.cmake

packages=(
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix # the cross compilers, with std::thread
    libz-mingw-w64-dev          # zlib for Windows, under libspng
    nasm                        # libjpeg-turbo's SIMD code
    cmake                       # builds libjpeg-turbo and our files for libspng and giflib
    dpkg-dev                    # apt-get source unpacks and patches with it; brings make
    debian-archive-keyring      # the keys that the source lists are checked against
    wine64                      # runs the Windows programs here, tests among them
    zip                         # CPack's ZIP of the Windows program
    nlohmann-json3-dev          # the command line's JSON, header-only
)

if [ "${1-}" = --packages ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

started=$SECONDS
step=
log=
cleanup=()
# Whatever stops the script, temporary folders go; a failure names its step and shows the end
# of that step's log.
finish() {
    local status=$?
    if ((${#cleanup[@]})); then rm -rf "${cleanup[@]}"; fi
    if ((status)); then
        if [ -n "$log" ] && [ -s "$log" ]; then
            echo "---- last lines of $log" >&2
            tail -n 25 "$log" >&2
            echo "----" >&2
        fi
        echo "build.sh: failed at: ${step:-start}" >&2
    fi
}
trap finish EXIT

# Starts a step: a short line on the screen and the step's own log.
begin() {
    step=$1
    log=$out/logs/$2.log
    mkdir -p "$out/logs"
    : >"$log"
    echo "build.sh: $step"
}

# Runs a command with its output in the step's log.
quietly() {
    "$@" >>"$log" 2>&1
}

install_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    ((${#missing[@]})) || return 0
    if [ "$(id -u)" -ne 0 ]; then
        step="install packages"
        echo "build.sh: not root, so cannot install; as root run:" \
            "apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
    begin "install ${missing[*]}" packages
    # dpkg is shared with whatever else runs on the machine: wait for its lock, do not fail.
    quietly apt-get -o DPkg::Lock::Timeout=900 update -q
    quietly env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 \
        install -y -q --no-install-recommends "${missing[@]}"
}

# apt with a source list, lists and cache of our own under build-windows/apt, so that the
# machine's apt configuration and state stay as they are. The archive's signature is checked
# with Debian's keyring, as for any apt source.
apt_dir=$out/apt
apt_options=(
    -o Dir::Etc::SourceList="$apt_dir/sources.list"
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
    -o Dir::Etc::Preferences="$apt_dir/preferences"
    -o Dir::Etc::PreferencesParts="$apt_dir/preferences.d"
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache"
)

update_source_lists() {
    local list
    # bookworm-security too: a fix to a decoder reaches the Windows build as it does the Linux
    # one. Point releases come through bookworm itself.
    list="deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/preferences.d" "$apt_dir/lists/partial" \
        "$apt_dir/cache/archives/partial"
    printf '%s\n' "$list" >"$apt_dir/sources.list"
    # Asked again once a day, so that later runs work without the network and in seconds.
    if [ -f "$apt_dir/updated" ] && [ "$(cat "$apt_dir/updated")" = "$list" ] &&
        [ -n "$(find "$apt_dir/updated" -mmin -1440)" ]; then
        return 0
    fi
    begin "update Debian's source lists" apt-update
    rm -f "$apt_dir/updated"
    quietly apt-get "${apt_options[@]}" -q update
    # apt-get update only warns when a list cannot be had.
    if grep -qE '^(W|E|Err):' "$log"; then
        return 1
    fi
    printf '%s\n' "$list" >"$apt_dir/updated"
}

# The version of a source package that apt-get source would fetch, as it names the .dsc
# (without the epoch).
source_version() {
    local dsc
    dsc=$(apt-get "${apt_options[@]}" -q source --print-uris "$1" |
        grep -oE "^'[^']*' $1_[^ ]*\.dsc " | cut -d' ' -f2) || true
    if [ -z "$dsc" ]; then
        echo "build.sh: Debian's source lists have no $1" >&2
        return 1
    fi
    dsc=${dsc#"$1"_}
    echo "${dsc%.dsc}"
}

# Unpacks a Debian source package, its patches applied, to build-windows/src/NAME_VERSION,
# unless it is there already. Unpacked in a temporary folder and renamed into place, so that
# a stopped run leaves no half tree that a later one would take for whole.
fetch_source() {
    local name=$1 version=$2 tree=$out/src/$1_$2 temporary unpacked
    [ -d "$tree" ] && return 0
    begin "fetch $name $version" "fetch-$name"
    mkdir -p "$out/src"
    temporary=$(mktemp -d "$out/src/.fetch-$name-XXXXXX")
    cleanup+=("$temporary")
    # As root apt downloads as the user _apt, who has to be able to write there.
    if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then
        chown _apt "$temporary"
    fi
    (cd "$temporary" && quietly apt-get "${apt_options[@]}" -q source "$name")
    unpacked=$(find "$temporary" -mindepth 1 -maxdepth 1 -type d)
    [ -f "$unpacked/debian/changelog" ]
    mv "$unpacked" "$tree"
    rm -rf "$temporary"
    # The versions that this one replaces.
    find "$out/src" -mindepth 1 -maxdepth 1 -name "${name}_*" ! -name "${name}_$version" \
        -exec rm -rf {} +
}

# Configures, builds and installs one library into build-windows/deps with the toolchain file,
# INSTALL being the function that builds and installs. A stamp in deps holds the version and
# the recipe (arguments, that function, the toolchain file, our CMake file), so that a library
# is built again only when one of them changed.
#   build_library NAME VERSION SOURCE_DIR OUR_CMAKE_FILE INSTALL [CMAKE_ARGUMENT...]
build_library() {
    local name=$1 version=$2 source=$3 recipe_file=$4 install=$5
    shift 5
    local build=$out/deps-build/$name stamp=$deps/built/$name recipe
    recipe=$({
        printf '%s\n' "$version" "$@"
        declare -f "$install"
        cat "$toolchain" "$recipe_file"
    } | sha256sum)
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
        echo "build.sh: $name $version: up to date"
        return 0
    fi
    begin "build $name $version" "build-$name"
    rm -f "$stamp"
    rm -rf "$build"
    quietly cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" "$@"
    "$install" "$build" "$source"
    mkdir -p "$deps/built"
    echo "$recipe" >"$stamp"
}

# The whole build, installed by its own rules.
build_and_install() {
    quietly cmake --build "$1" -j"$(nproc)"
    quietly cmake --install "$1"
}

# libjpeg-turbo's own install step wants cjpeg, djpeg, jpegtran and their like, which nothing
# here needs; so only the library is built, and it and the headers of its API put in place.
build_and_install_libjpeg() {
    quietly cmake --build "$1" --target jpeg-static -j"$(nproc)"
    install -D -m 644 "$1/libjpeg.a" "$deps/lib/libjpeg.a"
    install -D -m 644 -t "$deps/include" "$1/jconfig.h" "$2/jpeglib.h" "$2/jmorecfg.h" \
        "$2/jerror.h"
    install -D -m 644 "$1/pkgscripts/libjpeg.pc" "$deps/lib/pkgconfig/libjpeg.pc"
}

install_packages
update_source_lists

step="look up the source packages' versions"
log=
jpeg_version=$(source_version libjpeg-turbo)
spng_version=$(source_version libspng)
gif_version=$(source_version giflib)
fetch_source libjpeg-turbo "$jpeg_version"
fetch_source libspng "$spng_version"
fetch_source giflib "$gif_version"

# The libjpeg API alone (the TurboJPEG one is not used), in Debian's libjpeg 6.2 flavour as on
# Linux, and with the SIMD code required rather than silently left out when nasm is missing.
build_library libjpeg-turbo "$jpeg_version" "$out/src/libjpeg-turbo_$jpeg_version" /dev/null \
    build_and_install_libjpeg -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
# Upstream's CMake file cannot build the static library alone; ours compiles its one file.
build_library libspng "$spng_version" "$here/libspng" "$here/libspng/CMakeLists.txt" \
    build_and_install -DSPNG_SOURCE_DIR="$out/src/libspng_$spng_version"
# Debian builds giflib with a Makefile made for Unix shared libraries; ours compiles the
# library's files.
build_library giflib "$gif_version" "$here/giflib" "$here/giflib/CMakeLists.txt" \
    build_and_install -DGIFLIB_SOURCE_DIR="$out/src/giflib_$gif_version"

if [ ! -f "$out/wine/system.reg" ]; then
    begin "make the Wine prefix build-windows/wine" wine-prefix
    WINEPREFIX=$out/wine quietly "$here/run-in-wine.sh"
fi

# The command line itself, on the core and the texts, which need no Qt: one statically linked
# build-windows/bin/varnello-convert.exe that needs Windows' own DLLs alone, and its ZIP.
build_product() {
    # nlohmann-json is header-only: its headers join the prefix, so that the cross build's
    # search never reaches the host's /usr/include.
    mkdir -p "$deps/include"
    rm -rf "$deps/include/nlohmann"
    cp -r /usr/include/nlohmann "$deps/include/nlohmann"
    begin "configure varnello-convert for Windows" product-configure
    quietly cmake -S "$repo" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_BUILD_TYPE=Release -DVARNELLO_BUILD_WINDOW=OFF \
        -DVARNELLO_BUILD_TESTS=OFF -DVARNELLO_BUILD_BENCH=OFF
    begin "build build-windows/bin/varnello-convert.exe" product-build
    quietly cmake --build "$out" --target varnello-convert -j"$(nproc)"
    begin "make the ZIP" product-zip
    (cd "$out" && quietly cpack -G ZIP)
}
build_product

step=
echo "build.sh: done in $((SECONDS - started)) s:" \
    "build-windows/bin/varnello-convert.exe and build-windows/varnello-convert-*.zip"
