#!/bin/sh
# Mounts a small tmpfs at DIR (created if missing) for the disk-full tests;
# needs root. A mount left behind by an interrupted run is replaced, so the
# tests always start from an empty file system of the given size.
# Usage: tmpfs-mount.sh DIR [SIZE]
set -e
dir="$1"
size="${2:-8m}"
[ -n "$dir" ] || { echo "usage: $0 DIR [SIZE]" >&2; exit 2; }
mkdir -p "$dir"
"$(dirname "$0")/tmpfs-unmount.sh" "$dir"
mount -t tmpfs -o "size=$size,mode=0755" mirtavolen-fulldisk "$dir"
mountpoint -q "$dir"
