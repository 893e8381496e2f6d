#!/usr/bin/env bash
# Build step: man_page.sh PROGRAM SUMMARY OUT.1.gz. Makes the program's manual page from its
# --help and --version with help2man, gzipped as Debian installs manual pages.
set -euo pipefail
program=$1
summary=$2
out=$3

# In English whatever the builder's locale. The examples are one command a line, not a
# paragraph.
edits='/^\.SH EXAMPLES$/a .nf'
page() {
    env LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE= "$@" help2man --no-info --name="$summary" \
        --section=1 "$program" | sed -E "$edits"
}

text=$(page)
# Whatever else depends on the machine would show on one core.
if [ "$(nproc)" -gt 1 ] && [ "$(page taskset -c 0)" != "$text" ]; then
    echo "man_page.sh: $program --help reads differently on another machine:" >&2
    diff <(page taskset -c 0) <(printf '%s\n' "$text") >&2
    exit 1
fi
printf '%s\n' "$text" | gzip -9n >"$out"
