#!/usr/bin/env bash
# Every installed icon is a PNG whose pixel size is the one its folder names.
#   check-icons.sh PREFIX
set -euo pipefail
prefix=$1
status=0 count=0

while IFS= read -r icon; do
    declared=$(basename "$(dirname "$(dirname "$icon")")")        # e.g. 48x48
    kind=$(file -b --mime-type "$icon")
    actual=$(identify -format '%wx%h' "$icon" 2>/dev/null || echo unreadable)
    if [ "$kind" != image/png ] || [ "$actual" != "$declared" ]; then
        echo "$icon: $kind, $actual pixels, in a $declared folder"
        status=1
    fi
    count=$((count + 1))
done < <(find "$prefix/share/icons" -type f)

[ $count -gt 0 ] || { echo "no icons installed"; exit 1; }
[ $status -eq 0 ] && echo "$count icons, each a PNG of its size"
exit $status
