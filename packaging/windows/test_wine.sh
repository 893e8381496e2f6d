#!/usr/bin/env bash
# The Windows varnello-convert.exe under Wine against the Linux build, byte for byte: each set
# of options below runs both programs over the same pictures in folders of their own, and the
# files they leave, their exit statuses and what they print must be the same. Then what only
# Windows has: a Japanese name, -o NUL, and the writer's refusals.
#   packaging/windows/test_wine.sh LINUX_BUILD   (after packaging/windows/build.sh)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
linux=$(cd "${1:?the Linux build folder, such as build}" && pwd)/bin/varnello-convert
windows=$repo/build-windows/bin/varnello-convert.exe
[ -x "$linux" ] || { echo "test_wine.sh: no $linux" >&2; exit 1; }
[ -f "$windows" ] || { echo "test_wine.sh: no $windows; run packaging/windows/build.sh" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

wine() {
    "$here/run-in-wine.sh" "$windows" "$@"
}

# The pictures: one of each kind the program reads, an animation, transparency, a Japanese name.
pictures=$work/pictures
mkdir -p "$pictures"
for name in jpeg_baseline.jpg jpeg_exif_orientation_6.jpg png_alpha.png png_palette.png \
    gif_animation_5_frames.gif gif_transparent.gif; do
    cp "$repo/tests/data/pictures/$name" "$pictures/"
done
cp "$repo/tests/data/bmpsuite/g/rgb24.bmp" "$pictures/"
cp "$repo/tests/data/pictures/png_alpha.png" "$pictures/写真.png"

# One set of options a line: a name, then the options, the pictures' names last.
cases=(
    "plain|*"
    "panel and dithering|--fit 40x30 --dither fs *"
    "rotation with cover|--rotate 90 --fit 30x40 --fit-mode cover *"
    "blending|--alpha blend --background 102030 png_alpha.png 写真.png gif_transparent.gif"
    "key colour|--colour-key ff00ff png_alpha.png gif_transparent.gif"
    "frames|--frames gif_animation_5_frames.gif"
    "C source|--format c --c-type u16 *"
    "one C source of several|--format c -o all.c png_palette.png rgb24.bmp 写真.png"
    "big-endian|--byte-order be --dither ordered *"
    "preview|--preview shown.bmp --fit 20x20 jpeg_baseline.jpg"
    "a picture that is missing, exit 1|jpeg_baseline.jpg missing.jpg"
    "an option misspelt, exit 2|--dithr fs jpeg_baseline.jpg"
    "JSON of a dry run|--json --dry-run --fit 8x8 --format c *"
)

for entry in "${cases[@]}"; do
    name=${entry%%|*}
    options=${entry#*|}
    for system in linux windows; do
        rm -rf "$work/$system"
        cp -r "$pictures" "$work/$system"
    done
    # The same words to both, the picture names expanded here, in the same order.
    (
        cd "$work/linux"
        set -f
        words=()
        for word in $options; do
            if [ "$word" = "*" ]; then
                set +f
                words+=(*)
                set -f
            else
                words+=("$word")
            fi
        done
        set +f
        printf '%s\0' "${words[@]}" >"$work/words"
    )
    mapfile -d '' words <"$work/words"
    linux_status=0
    (cd "$work/linux" && "$linux" -j 1 "${words[@]}" >"$work/linux.out" 2>"$work/linux.err") ||
        linux_status=$?
    windows_status=0
    (cd "$work/windows" && wine -j 1 "${words[@]}" >"$work/windows.out" 2>"$work/windows.err") ||
        windows_status=$?
    [ "$linux_status" = "$windows_status" ] ||
        fail "$name: exit status $windows_status on Windows, $linux_status on Linux"
    if ! diff -r "$work/linux" "$work/windows" >/dev/null; then
        fail "$name: the files differ: $(diff -rq "$work/linux" "$work/windows" | head -3 | tr '\n' ' ')"
    fi
    cmp -s "$work/linux.out" "$work/windows.out" || fail "$name: standard output differs"
    # Error lines name the files as each system writes them; the rest is the same.
    tr '\\' '/' <"$work/windows.err" | cmp -s "$work/linux.err" - ||
        fail "$name: standard error differs: $(head -2 "$work/windows.err")"
    echo "ok: $name (exit $linux_status)"
done

# What only Windows has, each with what the Linux build does in its place where there is one.
cd "$work/windows"
rm -f ./*.BIN
wine -q -o NUL jpeg_baseline.jpg && [ ! -e NUL ] && [ -z "$(ls ./*.BIN 2>/dev/null)" ] ||
    fail "-o NUL: not written into the device"
echo "ok: -o NUL"
wine -q 写真.png && cmp -s 写真.BIN "$work/linux/写真.BIN" 2>/dev/null ||
    { "$linux" -q -o "$work/expected.BIN" 写真.png && cmp -s 写真.BIN "$work/expected.BIN"; } ||
    fail "a Japanese name: 写真.BIN is not the Linux build's"
echo "ok: a Japanese name"
# The writer: an older file replaced whole, a read-only one refused and kept, a folder refused.
printf older >rgb24.BIN
wine -q rgb24.bmp && [ "$(stat -c %s rgb24.BIN)" -gt 5 ] || fail "an older BIN file was not replaced"
"$linux" -q -o "$work/expected.BIN" rgb24.bmp
cmp -s rgb24.BIN "$work/expected.BIN" || fail "the replaced BIN file is not the Linux build's"
# Wine shows a file that nobody may write as read-only.
printf kept >png_palette.BIN
chmod a-w png_palette.BIN
status=0
wine -q png_palette.png 2>"$work/err" || status=$?
[ "$status" = 1 ] && [ "$(cat png_palette.BIN)" = kept ] && grep -q "read-only" "$work/err" ||
    fail "a read-only BIN file: exit $status, $(cat "$work/err")"
# The old file's hidden and system marks stay on the new one; Wine keeps them in extended
# attributes, which some file systems lack.
# The marks attrib shows for a file, such as AHS.
marks() { "$here/run-in-wine.sh" attrib "$1" | cut -c1-12 | tr -d ' \r'; }
"$here/run-in-wine.sh" attrib +h rgb24.BIN
"$here/run-in-wine.sh" attrib +s rgb24.BIN
if [ "$(marks rgb24.BIN)" = ASH ]; then
    wine -q rgb24.bmp && [ "$(marks rgb24.BIN)" = ASH ] && cmp -s rgb24.BIN "$work/expected.BIN" ||
        fail "a hidden system BIN file replaced: now $(marks rgb24.BIN)"
else
    echo "note: this file system keeps no DOS attributes; their row is left out"
fi
[ -z "$(find . -name '.*~')" ] || fail "temporary files left: $(find . -name '.*~')"
echo "ok: the writer's rows"
rm -f jpeg_baseline.BIN
mkdir jpeg_baseline.BIN
status=0
wine -q jpeg_baseline.jpg 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q "folder" "$work/err" || fail "a folder: exit $status, $(cat "$work/err")"
[ -z "$(ls -A jpeg_baseline.BIN)" ] || fail "something was written into the folder"
ls -a | grep -q '~$' && fail "a temporary file is left: $(ls -a | grep '~$')"

# Every cmd.exe example of the README and docs/, run by Wine's cmd.exe with the program on the
# PATH in a folder holding the pictures and folders they name: a block that starts with
# "@echo off" as a batch file, any other a line at a time, as typed at the prompt. Each must
# end with status 0 and give no error line.
examples=$work/examples
mkdir -p "$examples/pictures" "$examples/out" "$examples/src"
cp "$repo/build-windows/bin/varnello-convert.exe" "$examples/"
cp "$pictures/jpeg_baseline.jpg" "$pictures/jpeg_exif_orientation_6.jpg" "$pictures/写真.png" \
    "$examples/"
cp "$pictures/png_palette.png" "$examples/logo.png"
cp "$pictures/png_palette.png" "$pictures/png_alpha.png" "$examples/pictures/"
cmd_in_examples() {
    local status=0
    (cd "$examples" && "$here/run-in-wine.sh" cmd /c "$@" >/dev/null 2>"$work/err") || status=$?
    [ "$status" = 0 ] && ! grep -q "varnello-convert: " "$work/err" ||
        fail "$*: exit $status, $(cat "$work/err")"
}
count=0
for page in "$repo/README.md" "$repo"/docs/*.md; do
    awk -v out="$examples/block" '
        /^```bat$/ { inside = 1; n++; next }
        /^```/ { inside = 0; next }
        inside { print > (out n) }' "$page"
    for block in "$examples"/block*; do
        [ -e "$block" ] || continue
        count=$((count + 1))
        if [ "$(head -1 "$block")" = "@echo off" ]; then
            sed 's/$/\r/' "$block" >"$examples/example.bat"
            cmd_in_examples example.bat
        else
            while IFS= read -r line; do cmd_in_examples "$line"; done <"$block"
        fi
        rm "$block"
    done
done
((count >= 3)) || fail "only $count cmd.exe examples found in the README and docs/"
echo "ok: the cmd.exe examples of the README and docs/ ($count)"

if ((failures)); then
    echo "test_wine.sh: $failures failed" >&2
    exit 1
fi
echo "test_wine.sh: all passed"
