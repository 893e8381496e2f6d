#!/usr/bin/env bash
# Times the Windows varnello-convert.exe under Wine against the Linux build on the same 100
# JPEG pictures of 640 x 480, one job each, in turns (Linux, Wine, Linux, ...), so that both
# meet the same load; the fastest run of each, and Wine's time against Linux's, writing into an
# empty folder and replacing files. Wine's own start (its server is kept running between runs)
# is part of what is timed.
#
#   bench/wine_speed.sh [BUILD_FOLDER [RUNS]]   (after packaging/windows/build.sh)
set -euo pipefail

build=$(realpath "${1:-build}")
runs=${2:-7}
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
linux=$build/bin/varnello-convert
windows=$repo/build-windows/bin/varnello-convert.exe
for program in "$linux" "$build/bin/bench_make_pictures" "$windows"; do
    [ -e "$program" ] || { echo "wine_speed.sh: $program is missing; build first" >&2; exit 2; }
done
work=$build/wine-speed
rm -rf "$work"
mkdir -p "$work/vga" "$work/linux" "$work/windows"
"$build/bin/bench_make_pictures" "$work/vga" 100 640 480 jpg
cd "$work/vga"

# Seconds of one run, wall time: what a user waits for.
timed() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

# A first run of Wine starts its server and loads its DLLs; it is not counted.
"$repo/packaging/windows/run-in-wine.sh" "$windows" -q -j 1 -o "$work/windows/" ./*.jpg

wine=("$repo/packaging/windows/run-in-wine.sh" "$windows")
# One run into FOLDER: a new one when FRESH is yes, else over the files of the run before.
one_run() {
    local folder=$1 fresh=$2
    shift 2
    if [ "$fresh" = yes ]; then rm -rf "$folder" && mkdir "$folder"; fi
    timed "$@" -q -j 1 -o "$folder/" ./*.jpg
}
smaller() { if [ -z "$1" ] || (($(echo "$2 < $1" | bc))); then echo "$2"; else echo "$1"; fi; }

printf '100 pictures of 640 x 480, --jobs 1, fastest of %d runs each:\n' "$runs"
for fresh in yes no; do
    best_linux=
    best_wine=
    for ((i = 0; i < runs; i++)); do
        best_linux=$(smaller "$best_linux" "$(one_run "$work/linux" $fresh "$linux")")
        best_wine=$(smaller "$best_wine" "$(one_run "$work/windows" $fresh "${wine[@]}")")
    done
    diff -r "$work/linux" "$work/windows" >/dev/null ||
        { echo "wine_speed.sh: the outputs differ" >&2; exit 1; }
    [ $fresh = yes ] && echo '  into an empty folder:' || echo '  replacing the files of the run before:'
    printf '    Linux build        %6.2f s\n' "$best_linux"
    printf '    Windows under Wine %6.2f s  (%.2f times Linux)\n' "$best_wine" \
        "$(echo "$best_wine / $best_linux" | bc -l)"
done
