#!/usr/bin/env bash
# Both manual pages render at 80 columns without a warning from man or groff,
# and have the sections a reader looks for.
#   check-manual-pages.sh PREFIX
set -euo pipefail
prefix=$1
status=0

for page in velthorn Velthorn velthorn-render; do
    file="$prefix/share/man/man1/$page.1.gz"
    [ -f "$file" ] || { echo "missing: $file"; status=1; continue; }

    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page(1) warns: $warnings"; status=1; }

    text=$(MANWIDTH=80 MAN_KEEP_FORMATTING= man -l "$file" 2>/dev/null | col -b)
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES "SEE ALSO"; do
        grep -q "^$section\$" <<< "$text" || { echo "$page(1) has no $section section"; status=1; }
    done

    too_long=$(awk 'length > 80' <<< "$text")
    [ -z "$too_long" ] || { echo "$page(1) has lines over 80 columns: $too_long"; status=1; }
done

[ "$(readlink -f "$prefix/share/man/man1/Velthorn.1.gz")" = "$(readlink -f "$prefix/share/man/man1/velthorn.1.gz")" ] \
    || { echo "Velthorn(1) is not the velthorn(1) page"; status=1; }

[ $status -eq 0 ] && echo "the manual pages render cleanly"
exit $status
