#!/usr/bin/env bash
# Runs a command with a /dev/shm of its own, where the system allows it.
#
# JACK keeps one registry of at most eight servers in /dev/shm for the whole
# machine, and a server that dies without leaving keeps its place there for
# good. The end-to-end tests start many short-lived servers of their own; in
# a mount namespace of their own (which needs root) neither leftovers from
# elsewhere nor theirs can fill the machine's registry, and the machine's
# own JACK server is left alone. Elsewhere the command runs as it is.
set -euo pipefail

if [ "${VELTHORN_PRIVATE_SHM:-}" = 1 ]; then
    mount -t tmpfs -o mode=1777,size=1g velthorn-shm /dev/shm
elif [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null 2>&1 && unshare --mount true 2>/dev/null; then
    exec unshare --mount --propagation private env VELTHORN_PRIVATE_SHM=1 bash "$0" "$@"
fi

exec "$@"
