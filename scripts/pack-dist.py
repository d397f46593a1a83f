#!/usr/bin/env python3
"""Packs the release archive so that one commit always gives the same bytes.

Usage: pack-dist.py --source DIR --output ZIP FILE...

Every FILE goes to the top level of ZIP under its own name, in the order
given, deflated at level 9, with no directory entries and no extra fields,
made by "MS-DOS" with the archive attribute only (0x20), as Windows's own
zip folders write them: no owners or permissions of the build tree. Every
entry is dated with the time of the commit the source tree DIR is at, in
UTC: SOURCE_DATE_EPOCH when it is set, else the committer date of HEAD
(git); outside a git checkout without SOURCE_DATE_EPOCH the date is
1980-01-01, the earliest a zip can hold, and a note says so. So neither the
time of the build nor the file times of the build tree end up in the
archive. The archive is written beside ZIP and renamed over it when
complete.
"""
import argparse
import os
import subprocess
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def source_date(source):
    value = os.environ.get("SOURCE_DATE_EPOCH", "").strip()
    if value:
        return int(value), "SOURCE_DATE_EPOCH"
    try:
        out = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                             check=True, capture_output=True, text=True).stdout.strip()
        return int(out), "the commit's date"
    except (OSError, subprocess.CalledProcessError, ValueError):
        print(f"pack-dist: {source} is no git checkout and SOURCE_DATE_EPOCH is not set: "
              "the entries are dated 1980-01-01", file=sys.stderr)
        return ZIP_EPOCH, "no date"


def main():
    parser = argparse.ArgumentParser(description="Packs the release archive reproducibly.")
    parser.add_argument("--source", required=True, help="the source tree (its commit dates the entries)")
    parser.add_argument("--output", required=True, help="the zip file to write")
    parser.add_argument("files", nargs="+", help="the files to pack, in this order")
    args = parser.parse_args()

    epoch, origin = source_date(args.source)
    date_time = time.gmtime(max(epoch, ZIP_EPOCH))[:6]
    names = [os.path.basename(f) for f in args.files]
    if len(set(names)) != len(names):
        sys.exit("pack-dist: two files of the same name")

    partial = args.output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for path, name in zip(args.files, names):
            entry = zipfile.ZipInfo(name, date_time)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0
            entry.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    os.replace(partial, args.output)
    print(f"pack-dist: {os.path.basename(args.output)}, entries dated "
          f"{time.strftime('%Y-%m-%d %H:%M:%S', time.gmtime(max(epoch, ZIP_EPOCH)))} UTC ({origin})")


if __name__ == "__main__":
    main()
