#!/usr/bin/env bash
# `make uninstall`: removes what install.sh recorded in RECORD_DIR (the build
# folder by default): the installed files, then the directories the install
# created, deepest first, where they are empty. Nothing else is touched.
#
#   uninstall.sh [RECORD_DIR]
set -euo pipefail

record=${1:-build}
files="$record/installed-files.txt"
directories="$record/installed-directories.txt"

if [ ! -f "$files" ]; then
    echo "uninstall.sh: nothing recorded in $record (was it installed with 'make install'?)" >&2
    exit 1
fi

while IFS= read -r file; do
    if [ -e "$file" ] || [ -L "$file" ]; then
        echo "-- Removing: $file"
        rm -f -- "$file"
    fi
done < "$files"

if [ -f "$directories" ]; then
    # Deepest first, so a folder is empty by the time its parent is tried.
    awk -F/ '{ print NF "\t" $0 }' "$directories" | sort -rn | cut -f2- |
    while IFS= read -r directory; do
        if [ -d "$directory" ] && rmdir -- "$directory" 2>/dev/null; then
            echo "-- Removing: $directory/"
        fi
    done
fi

rm -f -- "$files" "$directories"
