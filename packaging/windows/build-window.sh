#!/usr/bin/env bash
# Builds the window program for 64-bit Windows on this Debian machine and lays it out, ready to
# run, in a folder (default: build-windows/varnello in the checkout).
#
#   build-window.sh [DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/qt.sh"

out=${1:-$here/../../build-windows/varnello}
start=$SECONDS

qt=$(qt_ensure)
qt_log "Qt for Windows: $qt"

# PLACEHOLDER: the product's own Windows build comes here, once its decoders' libraries are
# cross-built. It configures against the Qt above through Qt's toolchain file, which chains
# to the compiler's:
#   cmake -S "$here/../.." -B "$here/../../build-windows/build" -G Ninja \
#       -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" -DCMAKE_BUILD_TYPE=Release
#   cmake --build "$here/../../build-windows/build" --target varnello -j2
# and copies varnello.exe into "$out".
echo "build-window.sh: the program's own Windows build is not written yet; laying out Qt only" >&2

qt_step "laying out Qt in $out" qt_deploy "$out"
qt_log "all: $((SECONDS - start)) s"
