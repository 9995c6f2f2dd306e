#!/usr/bin/env bash
# Sets up or removes the wine prefix the Windows tests run their programs in.
#
#   wine-prefix.sh create PREFIX [WINE]   a fresh prefix in PREFIX (replacing one there)
#   wine-prefix.sh remove PREFIX [WINE]   stops its wine server and removes it
#
# Setting up a prefix takes seconds, so one serves a whole test run.
set -euo pipefail

action=$1
prefix=$2
wine=${3:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No offer to download Mono or Gecko, and no display for any of it.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

case $action in
    create)
        if [ -d "$prefix" ]; then
            "$wineserver" -k 2>/dev/null || true
            rm -rf "$prefix"
        fi
        mkdir -p "$prefix"
        "$wine" wineboot --init
        # Until the set-up has finished and its server has gone.
        "$wineserver" -w
        ;;
    remove)
        if [ -d "$prefix" ]; then
            "$wineserver" -k 2>/dev/null || true
            "$wineserver" -w 2>/dev/null || true
            rm -rf "$prefix"
        fi
        ;;
    *)
        echo "usage: $0 create|remove PREFIX [WINE]" >&2
        exit 2
        ;;
esac
