#!/usr/bin/env bash
# Every file under PREFIX matches one of the expected patterns, and every
# pattern matches at least one file.
#   check-tree.sh PREFIX EXPECTED_PATTERNS_FILE
set -euo pipefail
prefix=$1 expected=$2

mapfile -t patterns < "$expected"
mapfile -t installed < <(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | sort)
status=0

for file in "${installed[@]}"; do
    matched=no
    for pattern in "${patterns[@]}"; do
        # shellcheck disable=SC2053  # the pattern is meant to glob
        [[ $file == $pattern ]] && { matched=yes; break; }
    done
    [ $matched = yes ] || { echo "unexpected file installed: $file"; status=1; }
done

for pattern in "${patterns[@]}"; do
    found=no
    for file in "${installed[@]}"; do
        # shellcheck disable=SC2053
        [[ $file == $pattern ]] && { found=yes; break; }
    done
    [ $found = yes ] || { echo "missing from the install: $pattern"; status=1; }
done

# Nothing may land outside the prefix.
outside=$(cd "$prefix/../.." && find . -mindepth 1 \( -type f -o -type l \) -printf '%P\n' | grep -v '^usr/local/' || true)
[ -z "$outside" ] || { echo "installed outside the prefix: $outside"; status=1; }

[ $status -eq 0 ] && echo "${#installed[@]} files, as expected"
exit $status
