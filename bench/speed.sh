#!/usr/bin/env bash
# Times varnello-convert on 200 JPEG pictures of 640 x 480 (and 8 of 1920 x 1080), in one run
# on one machine: with all cores, with one, against the decode alone in one process, and
# against ffmpeg, when it is installed, as a per-file loop and as one process. Also checks
# on BMP files whether ffmpeg's output can be made to agree with ours bit for bit. Then
# --jobs 1 against a minimal TurboJPEG loop that decodes, converts and writes the same files;
# shrinking while loading (--fit) and refusing from the header (--max-size) on 8 photos of 12
# megapixels; the peak memory of decoding one photo, plain and turned by its EXIF orientation.
# Then the firmware options (dithering, fitting) against plain conversion, on the 200
# pictures and on the 8 photos. Last, PNG and GIF pictures of the same sizes, decoded alone,
# and against the decoding of another build when one is named (main's before a decoder
# changed).
#
#   bench/speed.sh [BUILD_FOLDER [OTHER_BUILD_FOLDER]]
#       (default: build; needs bench_make_pictures, bench_decode, bench_turbojpeg; the other
#        build's bench_decode)
#
# The pictures and outputs go into BUILD_FOLDER/speed, on the disk the build is on: writing
# the files is part of the cost, so a RAM disk would flatter every row alike.
set -euo pipefail

build=$(realpath "${1:-build}")
bin=$build/bin
other=${2:+$(realpath "$2")}
for tool in varnello-convert bench_make_pictures bench_decode bench_turbojpeg; do
    [ -x "$bin/$tool" ] || { echo "speed.sh: $bin/$tool is missing; build first" >&2; exit 2; }
done
work=$build/speed
rm -rf "$work"
mkdir -p "$work"/{vga,hd,photo,turned,tiny,bmp,out,ffout}
"$bin/bench_make_pictures" "$work/vga" 200 640 480 jpg
"$bin/bench_make_pictures" "$work/hd" 8 1920 1080 jpg
"$bin/bench_make_pictures" "$work/photo" 8 4000 3000 jpg
"$bin/bench_make_pictures" "$work/turned" 1 4000 3000 turned.jpg
"$bin/bench_make_pictures" "$work/tiny" 1 16 16 jpg
"$bin/bench_make_pictures" "$work/bmp" 5 640 480 bmp
for format in png gif; do
    mkdir -p "$work/vga-$format" "$work/hd-$format"
    "$bin/bench_make_pictures" "$work/vga-$format" 200 640 480 "$format"
    "$bin/bench_make_pictures" "$work/hd-$format" 8 1920 1080 "$format"
done

runs=${RUNS:-5}

# The fastest of $runs runs of a command, as "WALL CPU" in milliseconds (CPU: user + system,
# all threads); outputs are cleared, and what is left to write back to the disk written, before
# each run. On a machine that others share, the CPU time shows what a run costs even when its
# wall time had to wait for a core.
fastest() {
    local best=0 cpu=0 real user sys wall
    for ((i = 0; i < runs; i++)); do
        rm -rf "$work"/out/* "$work"/ffout/*
        sync
        read -r real user sys < <({ TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1)
        wall=$(awk -v r="$real" 'BEGIN { printf "%d", r * 1000 }')
        if ((best == 0 || wall < best)); then
            best=$wall
            cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000 }')
        fi
    done
    echo "$best $cpu"
}

row() { printf '%-44s %7d ms  (CPU %d ms)\n' "$1" $2; }
ratio() { awk -v a="${1%% *}" -v b="${2%% *}" 'BEGIN { printf "%.2f", a / b }'; }

echo "$(nproc) cores, load average $(cut -d" " -f1-3 /proc/loadavg); $runs runs each, fastest shown"
# What the machine gives right now: two decode processes side by side against one. Near 1.0
# means two free cores; near 2.0 means others hold one, and no tool can run faster in parallel.
twice() { "$bin/bench_decode" "$work"/vga/*.jpg & "$bin/bench_decode" "$work"/vga/*.jpg; wait; }
solo=$(fastest "$bin/bench_decode" "$work"/vga/*.jpg)
pair=$(fastest twice)
echo "two decode processes at once take $(ratio "$pair" "$solo") x the time of one"
for set in vga hd; do
    files=("$work/$set"/pic*.jpg)
    echo
    echo "${#files[@]} JPEG pictures of $set size:"
    decode=$(fastest "$bin/bench_decode" "${files[@]}")
    all=$(fastest "$bin/varnello-convert" -q -o "$work/out" "${files[@]}")
    one=$(fastest "$bin/varnello-convert" -q --jobs 1 -o "$work/out" "${files[@]}")
    synced=$(fastest "$bin/varnello-convert" -q --jobs 1 --sync -o "$work/out" "${files[@]}")
    row "decode alone, one process, one core" "$decode"
    row "varnello-convert (all cores)" "$all"
    row "varnello-convert --jobs 1" "$one"
    row "varnello-convert --jobs 1 --sync" "$synced"
    echo "  --jobs 1 / decode alone: $(ratio "$one" "$decode")" \
        "  --jobs 1 / all cores: $(ratio "$one" "$all")" \
        "  --sync costs $(((${synced%% *} - ${one%% *}) * 1000 / ${#files[@]})) us a file"

    if command -v ffmpeg >/dev/null; then
        loop() {
            for f in "${files[@]}"; do
                ffmpeg -v error -y -i "$f" -pix_fmt rgb565le -f rawvideo \
                    "$work/ffout/$(basename "$f" .jpg).bin"
            done
        }
        single() {
            ffmpeg -v error -y -start_number 0 -i "$work/$set/pic%03d.jpg" -pix_fmt rgb565le \
                -f image2 -c:v rawvideo "$work/ffout/%03d.bin"
        }
        saved=$runs
        runs=1 # the loop takes long and varies little
        ffloop=$(fastest loop)
        runs=$saved
        ffsingle=$(fastest single)
        row "ffmpeg, a process per file" "$ffloop"
        row "ffmpeg, one process over the sequence" "$ffsingle"
        echo "  ffmpeg loop / varnello-convert: $(ratio "$ffloop" "$all")" \
            "  ffmpeg one process / varnello-convert: $(ratio "$ffsingle" "$all")"
    fi
done

echo
echo "One job against a minimal TurboJPEG loop over the same files (decode, convert, write):"
# Run by turns, so that what else the machine does falls on both alike.
faster() { if [ -z "$1" ] || ((${2%% *} < ${1%% *})); then echo "$2"; else echo "$1"; fi; }
for set in vga photo; do
    files=("$work/$set"/pic*.jpg)
    saved=$runs yardstick="" one=""
    runs=1
    for ((k = 0; k < saved; k++)); do
        yardstick=$(faster "$yardstick" "$(fastest "$bin/bench_turbojpeg" "$work/out" "${files[@]}")")
        one=$(faster "$one" "$(fastest "$bin/varnello-convert" -q --jobs 1 -o "$work/out" "${files[@]}")")
    done
    runs=$saved
    row "${#files[@]} of $set size, TurboJPEG loop" "$yardstick"
    row "  varnello-convert --jobs 1" "$one"
    echo "    / TurboJPEG loop: $(ratio "$one" "$yardstick")"
done

echo
echo "Shrinking while loading and refusing from the header, one job, 8 photos of 12 megapixels:"
files=("$work/photo"/pic*.jpg)
plain=$(fastest "$bin/varnello-convert" -q --jobs 1 -o "$work/out" "${files[@]}")
row "plain" "$plain"
for options in "--fit 320x240" "--max-size 320x240"; do
    # shellcheck disable=SC2086 # the options are words to split
    took=$(fastest "$bin/varnello-convert" -q --jobs 1 $options -o "$work/out" "${files[@]}")
    row "  $options" "$took"
    echo "    / plain: $(ratio "$took" "$plain")"
done

echo
echo "Peak memory of decoding one picture (bench_decode, maximum resident set):"
peak() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident/ { print $6 }'; }
tiny=$(peak "$bin/bench_decode" "$work/tiny/pic000.jpg")
echo "  16 x 16 pixels: $tiny KiB, the rest measured above it"
for photo in "$work/photo/pic000.jpg" "$work/turned/pic000.turned.jpg"; do
    # 4000 x 3000 pixels of 4 bytes, in rows of 4000 words.
    extra=$(($(peak "$bin/bench_decode" "$photo") - tiny))
    echo "  $(basename "$photo"), 12 megapixels: $extra KiB;" \
        "the pixel store $((48000000 / 1024)) KiB, the file $(($(stat -c %s "$photo") / 1024)) KiB;" \
        "$(awk -v e="$extra" 'BEGIN { printf "%.3f", e * 1024 / 48000000 }') x the store"
done

echo
echo "Firmware options, all cores, against plain conversion of the same pictures:"
for set in vga photo; do
    files=("$work/$set"/pic*.jpg)
    plain=$(fastest "$bin/varnello-convert" -q -o "$work/out" "${files[@]}")
    row "${#files[@]} of $set size, plain" "$plain"
    for options in "--dither ordered" "--dither fs" "--fit 320x240" "--fit 320x240 --dither fs"; do
        # shellcheck disable=SC2086 # the options are words to split
        took=$(fastest "$bin/varnello-convert" -q $options -o "$work/out" "${files[@]}")
        row "  $options" "$took"
        echo "    / plain: $(ratio "$took" "$plain")"
    done
done

echo
echo "PNG and GIF pictures${other:+, decoded by this build and by $other}:"
for set in vga-png hd-png vga-gif hd-gif; do
    files=("$work/$set"/pic*)
    decode=$(fastest "$bin/bench_decode" "${files[@]}")
    all=$(fastest "$bin/varnello-convert" -q -o "$work/out" "${files[@]}")
    row "${#files[@]} of $set, decode alone" "$decode"
    row "  varnello-convert (all cores)" "$all"
    if [ -n "$other" ]; then
        before=$(fastest "$other/bin/bench_decode" "${files[@]}")
        row "  decode alone, other build" "$before"
        echo "    this build / other: $(ratio "$decode" "$before")"
    fi
done

if command -v ffmpeg >/dev/null; then
    echo
    echo "Bit-exactness of ffmpeg against varnello-convert:"
    rm -rf "$work"/out/*
    mkdir -p "$work/out/bmp" "$work/out/vga"
    "$bin/varnello-convert" -q -o "$work/out/bmp" "$work"/bmp/*.bmp
    "$bin/varnello-convert" -q -o "$work/out/vga" "$work"/vga/pic00[0-4].jpg
    # compare LABEL FFMPEG-OPTION...: how many of ${inputs[@]} come out identical.
    compare() {
        local label=$1 same=0 total=0 f
        shift
        for f in "${inputs[@]}"; do
            ffmpeg -v error -y -i "$f" "$@" -pix_fmt rgb565le -f rawvideo "$work/ffout/x.bin"
            total=$((total + 1))
            name=$(basename "$f")
            if cmp -s "$work/ffout/x.bin" "$work/out/$(basename "$(dirname "$f")")/${name%???}BIN"; then
                same=$((same + 1))
            fi
        done
        echo "  $label: $same of $total files identical"
    }
    inputs=("$work"/bmp/*.bmp)
    compare "BMP, plain"
    compare "BMP, -vf format=rgb24 -sws_flags neighbor" -vf format=rgb24 -sws_flags neighbor
    inputs=("$work"/vga/pic00[0-4].jpg)
    compare "JPEG, plain"
    compare "JPEG, -vf format=rgb24 -sws_flags neighbor" -vf format=rgb24 -sws_flags neighbor
fi
