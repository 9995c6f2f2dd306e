#!/usr/bin/env bash
# Installs the build into WORK/root (prefix /usr/local) with the script
# `make install` runs, keeping its record in WORK/record.
#   install-into-tree.sh SOURCE_DIR BUILD_DIR WORK
set -euo pipefail
source_dir=$1 build=$2 work=$3

rm -rf "$work"
mkdir -p "$work/root"
DESTDIR="$work/root" bash "$source_dir/packaging/install.sh" "$build" /usr/local "$work/record"

test -s "$work/record/installed-files.txt"
echo "installed $(wc -l < "$work/record/installed-files.txt") files into $work/root"
