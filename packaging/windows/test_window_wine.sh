#!/usr/bin/env bash
# The Windows window program under Wine in a real X server (Xvfb, openbox as its window
# manager), driven by the keyboard as a user drives it. The splash window must give way to the
# main window, which opens the picture given on the command line; 実行 → 変換 and ﾌｧｲﾙ →
# 名前を付けてＢＩＮファイルを保存 must write the Linux build's bytes; a picture with a Japanese
# name opened through ﾌｧｲﾙ → 開く likewise; the About window names Windows; ﾌｧｲﾙ → 終了 ends
# the program. Screenshots of each step go to build-windows/window-test/, to be looked at.
#   packaging/windows/test_window_wine.sh LINUX_BUILD   (after packaging/windows/build-window.sh)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
linux=$(cd "${1:?the Linux build folder, such as build}" && pwd)/bin/varnello-convert
program=$repo/build-windows/varnello/varnello.exe
shots=$repo/build-windows/window-test
[ -x "$linux" ] || { echo "test_window_wine.sh: no $linux" >&2; exit 1; }
[ -f "$program" ] || { echo "test_window_wine.sh: no $program; run build-window.sh" >&2; exit 1; }

# An X server, a window manager, keys, the clipboard (xdotool cannot type Japanese into Wine
# reliably, so names are pasted), screenshots, and the Japanese locale's definition.
packages=(xvfb openbox xdotool xclip imagemagick locales)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    if [ "$(id -u)" -ne 0 ]; then
        echo "test_window_wine.sh: as root run: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

work=$(mktemp -d)
pids=()
finish() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
# The tools here read window names as UTF-8.
export LC_ALL=C.UTF-8
export WINEPREFIX=${WINEPREFIX:-$repo/build-windows/wine} WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
"$here/run-in-wine.sh" # the prefix, made on first use
# A Wine started without a display (the console tests') cannot show windows: a fresh one.
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

rm -rf "$shots"
mkdir -p "$shots"
shot() { import -window root "$shots/$1.png"; }
# Waits up to SECONDS for COMMAND to succeed.
within() {
    local seconds=$1 start=$SECONDS
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS - start < seconds)) || return 1
        sleep 0.1
    done
}
# The program's shown windows, a line each: its X id, then its caption as UTF-8 (Wine gives
# the caption in that form whatever its locale).
shown() {
    local id
    for id in $(xdotool search --onlyvisible --class '^varnello\.exe$' 2>/dev/null); do
        printf '%s %s\n' "$id" \
            "$(xprop -id "$id" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')"
    done
}
visible() { shown | cut -d' ' -f2- | grep -q -- "$1"; }
main_window() { shown | grep -m1 ' 65ｋ色Varnello' | cut -d' ' -f1; }
caption() { shown | grep -m1 ' 65ｋ色Varnello' | cut -d' ' -f2-; }
captionHas() { caption | grep -qF "$1"; }
keys() {
    xdotool windowactivate --sync "$(main_window)"
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.5
    done
}
# Types a Windows path into the file dialog called TITLE, through the clipboard, and takes it.
answer() {
    within 30 visible "^$1\$" || { fail "no dialog $1"; return 1; }
    printf "%s" "$2" | xclip -selection clipboard 2>/dev/null
    xdotool key ctrl+a ctrl+v
    sleep 0.5
    shot "$3"
    xdotool key Return
    # A first Return may only take the name the dialog's completion offers.
    within 3 bash -c "! $(declare -f shown visible); visible '^$1\$'" || xdotool key Return
}
# A path as Windows programs under Wine see it: Z: is the root of this system.
windows() { printf 'Z:%s' "${1//\//\\}"; }

# The pictures, and what the Linux build makes of them.
cp "$repo/tests/data/pictures/jpeg_baseline.jpg" "$work/photo.jpg"
cp "$repo/tests/data/bmpsuite/g/rgb24.bmp" "$work/写真.bmp"
"$linux" -q -o "$work/photo.expected" "$work/photo.jpg"
"$linux" -q -o "$work/写真.expected" "$work/写真.bmp"

# Says "ok" for a step in which nothing failed since `begin`.
begin() { failed_before=$failures; }
passed() { ((failures > failed_before)) || echo "ok: $*"; }

# Start-up: the splash window, then the main window with the picture of the command line.
begin
# As on a Japanese Windows: in a Japanese locale Wine takes code page 932 for the system's and
# draws the captions it draws itself (the About window's) in a Japanese font. The locale is
# made here, so that the machine's own set stays as it is.
mkdir -p "$work/.locale"
localedef -i ja_JP -f UTF-8 "$work/.locale/ja_JP.UTF-8" ||
    { echo "test_window_wine.sh: localedef could not make ja_JP.UTF-8" >&2; exit 1; }
(cd "$work" && LOCPATH=$work/.locale LC_ALL=ja_JP.UTF-8 exec "$wine" "$program" \
    "$(windows "$work/photo.jpg")") >"$work/wine.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
splash() { shown | grep -qv ' 65ｋ色Varnello' && ! visible '^65ｋ色Varnello'; }
if within 60 splash; then shot 1-splash; else fail "no splash window"; fi
within 60 captionHas photo.jpg || fail "the main window did not open photo.jpg: $(caption)"
[ "$(shown | wc -l)" = 1 ] || fail "the splash window stayed: $(shown)"
shot 2-opened
passed "the splash window, then the main window with the picture of the command line"

begin
keys alt+r c
sleep 1
shot 3-converted
keys alt+f a
answer 名前を付けて保存 "$(windows "$work/photo.BIN")" 4-save-dialog
within 20 test -s "$work/photo.BIN" && cmp -s "$work/photo.BIN" "$work/photo.expected" ||
    fail "photo.BIN is not the Linux build's BIN file"
passed "変換 and the BIN save give the Linux build's bytes"

begin
keys alt+f o
answer 開く "$(windows "$work/写真.bmp")" 5-open-dialog
within 20 captionHas 写真.bmp || fail "写真.bmp did not open: $(caption)"
keys alt+r c
sleep 1
keys alt+f a
answer 名前を付けて保存 "$(windows "$work/写真.BIN")" 6-save-japanese
within 20 test -s "$work/写真.BIN" && cmp -s "$work/写真.BIN" "$work/写真.expected" ||
    fail "写真.BIN is not the Linux build's BIN file"
shot 7-japanese-converted
passed "a Japanese name opened, converted and saved"

begin
keys alt+h a
if within 20 visible 'ﾊﾞｰｼﾞｮﾝ情報$'; then
    shot 8-about
    xdotool key Return
else
    fail "no About window"
fi
passed "the About window"

begin
keys alt+f x
within 30 bash -c "! kill -0 $program_pid" || fail "the program did not end"
passed "ﾌｧｲﾙ → 終了 ended the program"

if ((failures)); then
    tail -n 20 "$work/wine.log" >&2
    echo "test_window_wine.sh: $failures failed; screenshots in $shots" >&2
    exit 1
fi
echo "test_window_wine.sh: all passed; screenshots in ${shots#"$repo"/}"
