#!/usr/bin/env bash
# Takes packages off a copy of scripts/install-deps.sh, one at a time, and
# expects check-install-list.py to fail and name each: for example one a test
# starts (xdotool), one whose library the tests link (libjack-jackd2-dev
# brings libjack.so) and one the Windows build finds through CMake (nsis).
# Usage: check-install-list-catches-removal.sh CHECK SOURCE_DIR BUILD_DIR WORK_DIR PACKAGE...
set -euo pipefail
check=$1 source_dir=$2 build_dir=$3 work=$4
shift 4
status=0

for package in "$@"; do
    list="$work/install-deps-without-$package.sh"
    sed -E "s/(^|[[:space:]])$package([[:space:]]|\$)/\1\2/" "$source_dir/scripts/install-deps.sh" > "$list"
    if grep -qE "(^|[[:space:]])$package([[:space:]]|\$)" "$list"; then
        echo "could not take $package off the list"; status=1; continue
    fi
    if output=$(/usr/bin/python3 "$check" "$source_dir" "$build_dir" "$list" 2>&1); then
        echo "the check passed with $package taken off the list:"; echo "$output"; status=1
    elif ! grep -q "add $package to its list" <<< "$output"; then
        echo "the check failed without $package but did not say what to add:"; echo "$output"; status=1
    else
        echo "without $package:"; grep "to its list" <<< "$output" | head -3
    fi
done
exit $status
