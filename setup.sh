#!/usr/bin/env bash
# Makes a fresh Debian 12 machine ready for this project, then configures and builds it.
# Safe to run again: packages already there are not touched, and the build is incremental.
#   setup.sh             install what is missing, then build
#   setup.sh --packages  only print the packages, one a line
set -euo pipefail
cd "$(dirname "$0")"

# Everything the README's commands run, down to what a minimal Debian lacks. CI checks that
# each program the build and the tests call comes from here (packaging/check_setup_packages.sh).
packages=(
    build-essential cmake       # compiler and build system
    qt6-base-dev                # Qt Core, Gui, Widgets and Test
    qt6-l10n-tools              # lrelease, for the translations
    libjpeg62-turbo-dev         # the core's JPEG decoder (libjpeg-turbo's libjpeg API)
    libspng-dev libgif-dev      # the core's PNG and GIF decoders
    nlohmann-json3-dev          # the command line's JSON report
    libturbojpeg0-dev           # the speed yardstick in bench/: decode, convert, write
    libbenchmark-dev            # the benchmarks in bench/
    fonts-ipafont-gothic        # Japanese text in the windows
    qt6-translations-l10n       # Qt's own dialogs and buttons in Japanese
    xvfb xauth                  # running the real windows without a screen
    valgrind                    # proving that no output byte comes from unwritten memory
    file                        # cpack -G DEB reads the programs' kind with it
    help2man                    # varnello-convert's manual page, from its --help
    lintian appstream desktop-file-utils # the package test's checks of the .deb
)

if [ "${1-}" = --packages ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "setup.sh: not root and no sudo, so cannot install; as root run:" \
                "apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
