#!/usr/bin/env bash
# Runs a Windows console program under Wine: without a screen, without Wine's chatter and its
# offers to install Mono or Gecko, in the Wine prefix build-windows/wine of this checkout (or
# $WINEPREFIX), which it makes on first use. The toolchain file makes it CMake's emulator, so
# that tests and try_run() of the Windows build run through it.
#   run-in-wine.sh PROGRAM.exe [ARGUMENT...]
#   run-in-wine.sh                            only make the prefix
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$repo/build-windows/wine}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY

# Debian's wine64 package keeps the 64-bit loader out of the PATH; other systems have wine64,
# or a plain wine that runs both kinds.
loader=
for candidate in "${WINELOADER-}" /usr/lib/wine/wine64 "$(command -v wine64 || true)" \
    "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        loader=$candidate
        break
    fi
done
if [ -z "$loader" ]; then
    echo "run-in-wine.sh: no Wine found (/usr/lib/wine/wine64, wine64, wine);" \
        "on Debian: apt-get install wine64" >&2
    exit 127
fi
wineserver=$(dirname "$loader")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

# Made beside the prefix and renamed into place once Wine is done with it, so an interrupted
# first run leaves no half-made prefix behind. The lock on the folder keeps tests that start
# together from making it twice.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    parent=$(dirname "$WINEPREFIX")
    mkdir -p "$parent"
    exec 9<"$parent"
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        new=$WINEPREFIX.new
        trap 'rm -rf "$new"' EXIT
        rm -rf "$new" "$WINEPREFIX"
        if ! log=$(WINEPREFIX=$new "$loader" wineboot --init 2>&1 </dev/null) ||
            ! WINEPREFIX=$new "$wineserver" --wait || [ ! -f "$new/system.reg" ]; then
            printf '%s\n' "$log" >&2
            echo "run-in-wine.sh: Wine could not make its prefix $WINEPREFIX" >&2
            exit 1
        fi
        mv "$new" "$WINEPREFIX"
        trap - EXIT
    fi
    exec 9<&-
fi

if (($#)); then
    exec "$loader" "$@"
fi
