#!/usr/bin/env bash
# Makes a fresh Debian 12 machine ready for this project, then configures and builds it.
# Safe to run again: packages already there are not touched, and the build is incremental.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
    build-essential cmake       # compiler and build system
    qt6-base-dev                # Qt Core, Gui, Widgets and Test
    libbenchmark-dev            # the benchmarks in bench/
    fonts-ipafont-gothic        # Japanese text in the windows
    qt6-translations-l10n       # Qt's own dialogs and buttons in Japanese
    qt6-l10n-tools              # lrelease, which compiles the translations
    xvfb xauth                  # running the real windows without a screen
    valgrind                    # proving that no output byte comes from unwritten memory
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
