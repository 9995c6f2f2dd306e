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

out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || status=1
echo "appstreamcli validate --no-net --pedantic:"
echo "$out"
# Anything it reports, pedantic hints included, fails the check.
grep -Eq '^(E|W|I|P): ' <<< "$out" && status=1

# The whole tree: the entry, the metadata and the icons it names fit together.
out=$(appstreamcli validate-tree --no-net --pedantic "$prefix" 2>&1) || status=1
echo "appstreamcli validate-tree --no-net --pedantic:"
echo "$out"
grep -Eq '^(E|W|I|P): ' <<< "$out" && status=1

exit $status
