#!/bin/sh
# Prepares, from Linux, what a Windows program cannot set up for itself
# under Wine, and takes it away again. CTest runs "prepare" before and
# "release" after the test programs that use it; `make clean` runs
# "release" before it deletes the build tree.
#   DIR/immutable/locked.bin  a file nobody may write, replace or rename
#                             over, not even root (chattr +i); the directory
#                             itself stays writable
#   DIR/full/                 an 8 MiB tmpfs, to run out of disk space
# What cannot be made here (not root, no chattr, no mount) is left out, and
# the tests that need it skip, saying why.
# Usage: fixtures.sh prepare|release DIR
action=$1
dir=$2
[ -n "$dir" ] || { echo "usage: $0 prepare|release DIR" >&2; exit 2; }

release() {
    [ -e "$dir/immutable/locked.bin" ] && chattr -i "$dir/immutable/locked.bin" 2>/dev/null
    # Every tmpfs stacked there by interrupted runs; lazily when still busy.
    n=0
    while mountpoint -q "$dir/full" 2>/dev/null && [ $n -lt 10 ]; do
        umount "$dir/full" 2>/dev/null || umount -l "$dir/full"
        n=$((n + 1))
    done
    if mountpoint -q "$dir/full" 2>/dev/null; then
        echo "fixtures: $dir/full stays mounted" >&2
        return 1
    fi
    rm -rf "$dir"
}

case "$action" in
prepare)
    release || exit 1
    mkdir -p "$dir/immutable" "$dir/full"
    printf 'This file cannot be changed.\r\n' > "$dir/immutable/locked.bin"
    if ! chattr +i "$dir/immutable/locked.bin" 2>/dev/null; then
        echo "fixtures: chattr +i not possible here; tests of immutable files will skip"
        rm -f "$dir/immutable/locked.bin"
    fi
    if ! mount -t tmpfs -o size=8m,mode=0755 mirtavolen-fulldisk "$dir/full" 2>/dev/null; then
        echo "fixtures: cannot mount a tmpfs here; tests of a full disk will skip"
        rmdir "$dir/full"
    fi
    ;;
release)
    release || exit 1
    ;;
*)
    echo "usage: $0 prepare|release DIR" >&2
    exit 2
    ;;
esac
exit 0
