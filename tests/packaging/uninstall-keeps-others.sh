#!/usr/bin/env bash
# Installs into a tree that already holds the usual folders and other
# programs' files, uninstalls, and requires the tree to be exactly as before.
#   uninstall-keeps-others.sh SOURCE_DIR BUILD_DIR WORK
set -euo pipefail
source_dir=$1 build=$2 work=$3
root="$work/root"

rm -rf "$work"
mkdir -p "$root/usr/local/bin" "$root/usr/local/share/man/man1" "$root/usr/local/share/applications" \
         "$root/usr/local/share/icons/hicolor/48x48/apps"
echo '#!/bin/sh' > "$root/usr/local/bin/other-tool"
echo '[Desktop Entry]' > "$root/usr/local/share/applications/other.desktop"
echo 'png' > "$root/usr/local/share/icons/hicolor/48x48/apps/other.png"

snapshot() { (cd "$root" && find . -printf '%p %y %s\n' | sort); }
before=$(snapshot)

DESTDIR="$root" bash "$source_dir/packaging/install.sh" "$build" /usr/local "$work/record" >/dev/null
[ -x "$root/usr/local/bin/Velthorn" ] || { echo "Velthorn was not installed"; exit 1; }
bash "$source_dir/packaging/uninstall.sh" "$work/record" >/dev/null

after=$(snapshot)
if [ "$before" != "$after" ]; then
    echo "the tree differs after install and uninstall:"
    diff <(echo "$before") <(echo "$after") || true
    exit 1
fi

rm -rf "$work"
echo "only Velthorn's files and folders came and went"
