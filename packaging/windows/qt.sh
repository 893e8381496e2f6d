#!/usr/bin/env bash
# Qt 6.4 for 64-bit Windows, cross-built from Debian's own qt6-base source with Debian's
# MinGW-w64 (POSIX threads) and Debian's Linux Qt tools as host tools. Only Core, Gui, Widgets,
# the Windows platform plugin and the Windows style are built: what the window program uses.
# The result goes into a cache outside the checkout, in a folder named after Qt's version, the
# compiler and a hash of everything that shapes the build, so a change of any of them builds anew.
#
#   qt.sh                  build Qt unless the cache holds it, then print its folder
#   qt.sh --prefix         print the folder the current options use; build nothing
#   qt.sh --deploy DIR     lay Qt's DLLs, plugins, translations and the MinGW runtime in DIR
#   qt.sh --packages       print the Debian packages needed, one a line
#   . qt.sh                define the qt_* functions for another script (build-window.sh)
#
# VARNELLO_CACHE moves the cache (default: $XDG_CACHE_HOME/varnello or ~/.cache/varnello);
# VARNELLO_JOBS sets the compile jobs (default: the number of cores).
set -euo pipefail

qt_packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix # the cross compiler, POSIX threads
    mingw-w64-x86-64-dev                                  # Windows headers and import libraries
    cmake ninja-build                                     # Qt's build
    qt6-base-dev qt6-base-dev-tools                       # moc, rcc, uic... as host tools
    dpkg-dev                                              # apt-get source unpacks with it
    debian-archive-keyring                                # checks the source's signatures
    perl                                                  # Qt 6.4's syncqt.pl
    qt6-translations-l10n                                 # qtbase_ja.qm, laid beside the program
)

qt_cache_root="${VARNELLO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/varnello}"
qt_triplet=x86_64-w64-mingw32
qt_cxx="$qt_triplet-g++-posix"
qt_host_prefix=/usr
qt_host_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake

# Everything not listed stays as Qt decides, except the third-party code: always Qt's bundled
# copy, so that a MinGW library another package happens to install cannot change the build.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_HOST_PATH="$qt_host_prefix"
    -DQT_HOST_PATH_CMAKE_DIR="$qt_host_cmake_dir"
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    # Debian's source leaves out the tablet header that this feature needs.
    -DFEATURE_tabletevent=OFF
    # 6.4.2's Windows plugin does not compile without OpenGL; dynamic loads it only on demand.
    -DINPUT_opengl=dynamic
    # Modules the program does not use.
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_testlib=OFF
    # Debian's patch builds this Android tool even when cross-building.
    -DFEATURE_androiddeployqt=OFF
    # pkg-config would answer with the build machine's Linux libraries.
    -DFEATURE_pkg_config=OFF
    # The program decodes pictures itself; XPM (its icons), PNG (Qt's own icons) and BMP
    # (the clipboard) stay.
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    # Windows draws text through GDI or DirectWrite, so FreeType is not needed. Direct2D stays:
    # in 6.4.2 the DirectWrite font engine, which the plugin links, is built only with it.
    -DFEATURE_freetype=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_libb2=OFF
)

# The cross compiler as CMake sees it. Written into the prefix, because Qt's own
# qt.toolchain.cmake, which projects built against this Qt use, refers to it there.
qt_toolchain_text() {
    cat <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $qt_triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $qt_triplet-g++-posix)
set(CMAKE_RC_COMPILER $qt_triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$qt_triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

qt_log() { printf 'qt.sh: %s\n' "$*" >&2; }
qt_fail() {
    qt_log "$*"
    return 1
}

# Runs one step and says how long it took.
qt_step() {
    local name=$1 start=$SECONDS
    shift
    qt_log "$name..."
    if ! "$@"; then
        qt_fail "$name failed after $((SECONDS - start)) s"
        return 1
    fi
    qt_log "$name: $((SECONDS - start)) s"
}

qt_package_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null; }

qt_need_packages() {
    local missing=() package
    for package in "${qt_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    if [ "$(id -u)" -ne 0 ]; then
        qt_fail "missing packages; as root run: apt-get install --no-install-recommends ${missing[*]}"
        return 1
    fi
    qt_log "installing ${missing[*]}"
    apt-get -o DPkg::Lock::Timeout=900 update -q
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q \
        --no-install-recommends "${missing[@]}"
}

# The source is the one the host tools were built from, so tools and libraries agree exactly.
qt_source_version() {
    local version
    version=$(qt_package_version qt6-base-dev-tools) ||
        qt_fail "qt6-base-dev-tools is not installed" || return 1
    printf '%s\n' "$version"
}

qt_prefix() {
    local debian_version upstream gcc_version gcc_major hash
    debian_version=$(qt_source_version) || return 1
    upstream=${debian_version%%+*}
    upstream=${upstream%%-*}
    gcc_version=$(qt_package_version g++-mingw-w64-x86-64-posix) ||
        qt_fail "g++-mingw-w64-x86-64-posix is not installed" || return 1
    gcc_major=${gcc_version%%.*}
    hash=$({
        printf '%s\n' "qt6-base $debian_version" "g++ $gcc_version" \
            "headers $(qt_package_version mingw-w64-x86-64-dev)" \
            "host $(qt_package_version qt6-base-dev)" "${qt_options[@]}"
        qt_toolchain_text
    } | sha256sum | cut -c1-12)
    printf '%s\n' "$qt_cache_root/qt-$upstream-$qt_triplet-gcc$gcc_major-posix-$hash"
}

# Debian bookworm's qt6-base source through a sources.list of our own, with apt's lists and
# downloads kept in the cache, so the machine's apt setup is neither used nor changed. apt checks
# the Release file's signature against Debian's archive key and every file's hash against it.
qt_fetch_source() {
    local version=$1 dest=$2 apt_dir="$qt_cache_root/apt" work
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
    printf '%s\n' "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
        "http://deb.debian.org/debian bookworm main" | paste -sd' ' >"$apt_dir/sources.list"
    local apt=(apt-get -q
        -o Dir::Etc::SourceList="$apt_dir/sources.list"
        -o Dir::Etc::SourceParts="$apt_dir/parts"
        -o Dir::State::Lists="$apt_dir/lists"
        -o Dir::Cache="$apt_dir/cache"
        -o Acquire::Languages=none)
    # As root, apt downloads as its own user, who cannot reach a cache in root's home; the
    # signature and hash checks are the same either way.
    [ "$(id -u)" -ne 0 ] || apt+=(-o APT::Sandbox::User=root)
    "${apt[@]}" update || qt_fail "could not read bookworm's source lists" || return 1
    work=$(mktemp -d "$qt_cache_root/src/.fetch.XXXXXX")
    (cd "$work" && "${apt[@]}" source "qt6-base=$version") || {
        rm -rf "$work"
        qt_fail "could not fetch qt6-base $version from bookworm's sources" || return 1
    }
    local tree
    tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*')
    if [ -z "$tree" ] || [ ! -f "$tree/CMakeLists.txt" ]; then
        rm -rf "$work"
        qt_fail "qt6-base $version unpacked into no source tree in $work" || return 1
    fi
    mv "$tree" "$dest" || return 1
    rm -rf "$work"
}

qt_build() {
    local prefix=$1 version source build jobs
    version=$(qt_source_version)
    source="$qt_cache_root/src/qt6-base-$version"
    build="$prefix.build"
    jobs=${VARNELLO_JOBS:-$(nproc)}
    mkdir -p "$qt_cache_root/src"
    [ -f "$source/CMakeLists.txt" ] ||
        qt_step "fetching qt6-base $version" qt_fetch_source "$version" "$source"

    # Whatever was left in the prefix by a run that stopped is not trusted.
    rm -rf "$prefix"
    mkdir -p "$prefix" "$build"
    qt_toolchain_text >"$prefix/toolchain.cmake"
    qt_step configuring cmake -S "$source" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}"
    qt_step "building with $jobs jobs" cmake --build "$build" --parallel "$jobs"
    qt_step installing cmake --install "$build" --strip
    rm -rf "$build"
    date -u +%FT%TZ >"$prefix/.complete"
}

# Prints the folder of a complete Qt build, building it first when the cache lacks it.
qt_ensure() {
    local prefix
    qt_need_packages
    prefix=$(qt_prefix)
    if [ -f "$prefix/.complete" ]; then
        qt_log "reusing $prefix"
    else
        qt_build "$prefix" >&2
    fi
    printf '%s\n' "$prefix"
}

# Lays beside a program in DIR what it needs of Qt and of MinGW to start on Windows: the
# layout windeployqt makes, plus a qt.conf that points Qt's own paths (translations) at it.
qt_deploy() {
    local dir=$1 prefix file
    prefix=$(qt_prefix)
    [ -f "$prefix/.complete" ] || qt_fail "no complete Qt in $prefix; run qt.sh first" || return 1
    mkdir -p "$dir/platforms" "$dir/styles" "$dir/translations"
    cp "$prefix"/bin/Qt6{Core,Gui,Widgets}.dll "$dir/"
    cp "$prefix/plugins/platforms/qwindows.dll" "$dir/platforms/"
    cp "$prefix/plugins/styles/qwindowsvistastyle.dll" "$dir/styles/"
    for file in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        local path
        path=$("$qt_cxx" -print-file-name="$file")
        [ -f "$path" ] || qt_fail "$qt_cxx does not know where $file is" || return 1
        # Debian ships them with their debugging symbols, ten times their size.
        "$qt_triplet-strip" --strip-unneeded -o "$dir/$file" "$path"
    done
    cp /usr/share/qt6/translations/qtbase_ja.qm "$dir/translations/"
    printf '%s\n' '[Paths]' 'Prefix = .' 'Plugins = .' 'Translations = translations' \
        >"$dir/qt.conf"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case "${1-}" in
    --packages) printf '%s\n' "${qt_packages[@]}" ;;
    --prefix) qt_prefix ;;
    --deploy)
        [ $# -eq 2 ] || qt_fail "usage: qt.sh --deploy DIR" || exit 2
        qt_deploy "$2"
        ;;
    '')
        start=$SECONDS
        qt_ensure
        qt_log "all: $((SECONDS - start)) s"
        ;;
    *) qt_fail "usage: qt.sh [--prefix | --deploy DIR | --packages]" || exit 2 ;;
    esac
fi
