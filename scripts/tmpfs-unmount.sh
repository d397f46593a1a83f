#!/bin/sh
# Unmounts every tmpfs mounted at DIR by tmpfs-mount.sh (lazily when still
# busy). Nothing to do when none is mounted.
# Usage: tmpfs-unmount.sh DIR
dir="$1"
[ -n "$dir" ] || { echo "usage: $0 DIR" >&2; exit 2; }
n=0
while mountpoint -q "$dir" 2>/dev/null; do
    umount "$dir" 2>/dev/null || umount -l "$dir" || exit 1
    n=$((n + 1))
    [ $n -lt 10 ] || exit 1
done
exit 0
