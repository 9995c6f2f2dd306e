#!/usr/bin/env bash
# `make install`: installs the build with CMake's install rules under PREFIX
# (inside $DESTDIR when that is set) and records what it put there, so that
# uninstall.sh removes exactly that: every file, and every directory that did
# not exist before.
#
#   install.sh BUILD_DIR PREFIX [RECORD_DIR]
#
# The record (installed-files.txt, installed-directories.txt) goes to
# RECORD_DIR, the build folder by default. Installing again adds to it.
set -euo pipefail

build=$1
prefix=$2
record=${3:-$build}
destdir=${DESTDIR:-}

case "$prefix" in
    /*) ;;
    *) echo "install.sh: PREFIX must be an absolute path, got '$prefix'" >&2; exit 2 ;;
esac

# A dry run into a private folder tells which paths the install rules write,
# before anything real is touched: CMake's own install_manifest.txt names the
# files only, and is overwritten by every install, `make package` included.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >/dev/null

files=$stage.files
directories=$stage.directories
trap 'rm -rf "$stage" "$files" "$directories"' EXIT
: > "$files"
: > "$directories"

while IFS= read -r -d '' relative; do
    target="${destdir%/}/$relative"
    printf '%s\n' "$target" >> "$files"

    parent=$(dirname "$target")
    while [ "$parent" != / ] && [ ! -e "$parent" ]; do
        printf '%s\n' "$parent" >> "$directories"
        parent=$(dirname "$parent")
    done
done < <(cd "$stage" && find . \( -type f -o -type l \) -printf '%P\0')

DESTDIR="$destdir" cmake --install "$build" --prefix "$prefix"

mkdir -p "$record"
for list in files directories; do
    existing="$record/installed-$list.txt"
    touch "$existing"
    sort -u "$existing" "${stage}.$list" > "$existing.new"
    mv "$existing.new" "$existing"
done
