#!/bin/sh
# Builds the release archive twice, each time from a fresh clone of the
# source tree into a build directory of its own, and fails unless the two
# Mirtavolen-<version>.zip are the same bytes. The clones hold the source
# tree's commit, with the uncommitted changes of its tracked files when it
# has any (git stash create makes a commit of them and changes nothing), so
# the tree is checked as it is; untracked files are not in the clones.
# Exits 77 (skipped) when the source tree is no git checkout.
# Usage: reproducible.sh SOURCE_DIR WORK_DIR
set -e
src=$1 work=$2
[ $# -eq 2 ] || { echo "usage: reproducible.sh SOURCE_DIR WORK_DIR" >&2; exit 2; }
if ! git -C "$src" rev-parse --verify -q HEAD >/dev/null 2>&1; then
    echo "reproducible: $src is no git checkout; nothing to clone, not run"
    exit 77
fi
# A stash commit needs a committer; the name never reaches the archive.
commit=$(git -C "$src" -c user.name=reproducible -c user.email=reproducible@localhost stash create)
[ -n "$commit" ] || commit=$(git -C "$src" rev-parse HEAD)

rm -rf "$work"
mkdir -p "$work"
for n in 1 2; do
    # --shared: the clone borrows the source's objects (the stash commit
    # among them) instead of copying them.
    git clone --quiet --shared --no-checkout "$src" "$work/clone$n"
    git -C "$work/clone$n" checkout --quiet --detach "$commit"
    if ! { cmake -S "$work/clone$n" -B "$work/build$n" \
               -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw32.cmake &&
           cmake --build "$work/build$n" --target dist -j2; } >"$work/build$n.log" 2>&1; then
        tail -n 30 "$work/build$n.log"
        echo "reproducible: build $n failed; its log is $work/build$n.log" >&2
        exit 1
    fi
done

zip1=$(ls "$work"/build1/Mirtavolen-*.zip)
zip2="$work/build2/$(basename "$zip1")"
sha256sum "$zip1" "$zip2"
if ! cmp -s "$zip1" "$zip2"; then
    # Say which of the three files differs, for the one who has to find out why.
    for f in Mirtavolen.exe Mirtavolen.chm Mirtavolen.txt; do
        cmp -s "$work/build1/dist/$f" "$work/build2/dist/$f" || echo "reproducible: $f differs" >&2
    done
    echo "reproducible: the two archives differ; the builds are kept in $work" >&2
    exit 1
fi
echo "reproducible: both builds of $(git -C "$src" rev-parse --short "$commit") give the same $(basename "$zip1")"
rm -rf "$work"
