#!/usr/bin/env bash
# Uninstalls what the install fixture put into WORK/root, with the script
# `make uninstall` runs, and checks that nothing is left: no file, no folder,
# no record.
#   uninstall-from-tree.sh SOURCE_DIR WORK
set -euo pipefail
source_dir=$1 work=$2

bash "$source_dir/packaging/uninstall.sh" "$work/record"

left=$(find "$work/root" -mindepth 1)
[ -z "$left" ] || { echo "left behind after uninstall:"; echo "$left"; exit 1; }
[ ! -e "$work/record/installed-files.txt" ] || { echo "the install record was not removed"; exit 1; }
echo "the tree is empty again"
