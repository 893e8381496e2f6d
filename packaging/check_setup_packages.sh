#!/usr/bin/env bash
# Checks setup.sh's package list against the programs that the build and the tests call.
# Each must come from a listed package, from a package that one of them depends on, or from
# the required packages that even a minimal Debian has; being installed on this machine
# for another reason does not count, since a fresh machine would not have it.
#   check_setup_packages.sh SOURCE_FOLDER
set -euo pipefail
source_dir=$1

# Called by name: the toolchain, CPack's helpers, and what the scripts and tests run.
programs=(cmake ctest cpack c++ make file dpkg-deb dpkg-shlibdeps gzip awk od help2man taskset
          lrelease valgrind lintian appstreamcli desktop-file-validate xvfb-run xauth)
# And whatever a CMakeLists.txt looks for.
mapfile -t -O ${#programs[@]} programs < <(
    grep -rhoE --include=CMakeLists.txt 'find_program\([A-Za-z0-9_]+ +(NAMES +)?[A-Za-z0-9_.+-]+' \
        "$source_dir" | awk '{ print $NF }' | sort -u)

mapfile -t listed < <("$source_dir/setup.sh" --packages)

# Every package that a minimal Debian has or the list brings in, following Depends and
# Pre-Depends through alternatives and virtual packages as installed here.
format='${db:Status-Abbrev}\t${Package}\t${Provides}\t${Pre-Depends}, ${Depends}\t'
format+='${Priority}\t${Essential}\n'
reachable=$(dpkg-query -W -f="$format" | awk -F'\t' -v listed="${listed[*]}" '
    function bare(name) { sub(/^ +/, "", name); sub(/[ :(].*/, "", name); return name }
    $1 ~ /^ii/ {
        installed[$2] = 1
        deps[$2] = $4
        if ($5 == "required" || $6 == "yes") queue[++n] = $2
        k = split($3, provided, ",")
        for (i = 1; i <= k; i++) providers[bare(provided[i])] = providers[bare(provided[i])] " " $2
    }
    END {
        k = split(listed, wanted, " ")
        for (i = 1; i <= k; i++) queue[++n] = wanted[i]
        for (q = 1; q <= n; q++) {
            p = queue[q]
            if (seen[p]++ || !installed[p]) continue
            print p
            k = split(deps[p], names, /[,|]/)
            for (i = 1; i <= k; i++) {
                d = bare(names[i])
                if (d == "") continue
                queue[++n] = d
                m = split(providers[d], by, " ")
                for (j = 1; j <= m; j++) queue[++n] = by[j]
            }
        }
    }')

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for package in "${listed[@]}"; do
    grep -qx "$package" <<<"$reachable" || fail "setup.sh lists $package, which is not installed"
done
for program in "${programs[@]}"; do
    # lrelease is in Qt's own folder, not on the PATH.
    path=$(PATH=$PATH:/usr/lib/qt6/bin command -v "$program") ||
        { fail "$program is not installed"; continue; }
    path=$(readlink -f "$path")
    # dpkg knows the files of the merged /usr by their old /bin and /sbin names.
    owners=$(dpkg-query -S "$path" 2>/dev/null || dpkg-query -S "${path#/usr}" 2>/dev/null) ||
        { fail "no package owns $path ($program)"; continue; }
    owned=no
    for owner in $(sed 's/: .*//; s/,/ /g; s/:[^ ]*//g' <<<"$owners"); do
        grep -qx "$owner" <<<"$reachable" && owned=yes
    done
    [ $owned = yes ] || fail "$program is in $owners, a package setup.sh does not bring"
done
((failures)) && exit 1
echo "${#programs[@]} programs, each from setup.sh's ${#listed[@]} packages or a minimal Debian"
