#!/usr/bin/env bash
# The freedesktop and AppStream validators pass the installed desktop entry
# and metadata, without warnings. (The network checks are left out: the
# screenshot URL is not fetched.)
#   check-metadata.sh ROOT PREFIX
set -euo pipefail
root=$1 prefix=$2
desktop="$prefix/share/applications/audio.velthorn.Velthorn.desktop"
metainfo="$prefix/share/metainfo/audio.velthorn.Velthorn.metainfo.xml"
status=0

out=$(desktop-file-validate "$desktop" 2>&1) || status=1
echo "desktop-file-validate: ${out:-clean}"
[ -z "$out" ] || status=1

# Errors and warnings fail. Of the hints, two are about the component id
# itself, which is fixed (the desktop file and every user's dock know it):
# "audio" is a newer top-level domain than the validator's list, and the last
# part is the program's capitalised name. Any other hint fails too.
accepted='cid-maybe-not-rdns|cid-contains-uppercase-letter'
appstream() {
    local out
    out=$(appstreamcli "$@" 2>&1) || status=1
    echo "appstreamcli $*:"
    echo "$out"
    if grep -E '^[[:space:]]*(E|W|I|P): ' <<< "$out" | grep -Evq " ($accepted)( |$)"; then
        status=1
    fi
}

appstream validate --no-net --pedantic "$metainfo"
# The whole tree: the entry, the metadata and the icons it names fit together.
appstream validate-tree --no-net --pedantic "$prefix"

exit $status
