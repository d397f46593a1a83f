#!/bin/sh
# Prepares, from Linux, what a Windows program cannot set up for itself
# under Wine, and takes it away again. CTest runs "prepare" before and
# "release" after the test programs that use it.
#   DIR/immutable/locked.bin  a file nobody may write, replace or rename
#                             over, not even root (chattr +i); the directory
#                             itself stays writable
#   DIR/full/                 a 1 MiB tmpfs, to run out of disk space
# What cannot be made here (not root, no chattr, no mount) is left out, and
# the tests that need it skip with a message.
# Usage: fixtures.sh prepare|release DIR
action=$1
dir=$2
[ -n "$dir" ] || { echo "usage: $0 prepare|release DIR" >&2; exit 2; }

release() {
    [ -e "$dir/immutable/locked.bin" ] && chattr -i "$dir/immutable/locked.bin" 2>/dev/null
    mountpoint -q "$dir/full" 2>/dev/null && umount "$dir/full"
    rm -rf "$dir"
}

case "$action" in
prepare)
    release
    mkdir -p "$dir/immutable" "$dir/full"
    printf 'This file cannot be changed.\r\n' > "$dir/immutable/locked.bin"
    if ! chattr +i "$dir/immutable/locked.bin" 2>/dev/null; then
        echo "fixtures: chattr +i not possible here; tests of immutable files will skip"
        rm -f "$dir/immutable/locked.bin"
    fi
    if ! mount -t tmpfs -o size=1m tmpfs "$dir/full" 2>/dev/null; then
        echo "fixtures: cannot mount a tmpfs here; tests of a full disk will skip"
        rmdir "$dir/full"
    fi
    ;;
release)
    release
    ;;
*)
    echo "usage: $0 prepare|release DIR" >&2
    exit 2
    ;;
esac
exit 0
