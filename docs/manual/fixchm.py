#!/usr/bin/env python3
"""Takes the build time out of a .chm that chmcmd wrote.

chmcmd (Free Pascal's CHM compiler) stamps every file it writes with the
milliseconds since midnight of the moment it runs, twice: in the ITSF header
(offset 0x10, big-endian) and in entry 10 of the uncompressed #SYSTEM file,
which comes first in #SYSTEM, right after its version word 3 and before
entry 9 ("HHA Version ..."). Nothing reads these stamps back (HTML Help
shows neither), so both are set to 0 here, and the same pages always give
the same file. Everything else chmcmd writes is already the same from run
to run.

Usage: fixchm.py FILE.chm   (changes the file in place)
"""
import re
import sys

SYSTEM_START = re.compile(
    rb"\x03\x00\x00\x00"      # #SYSTEM version 3
    rb"\x0a\x00\x04\x00"      # entry 10, 4 bytes: the stamp
    rb"(?P<stamp>.{4})"
    rb"\x09\x00..HHA Version",  # entry 9, the compiler's version text
    re.DOTALL)


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    path = argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"ITSF" or len(data) < 0x18:
        sys.exit(f"fixchm: {path} does not start with an ITSF header")
    found = list(SYSTEM_START.finditer(data))
    if len(found) != 1:
        sys.exit(f"fixchm: {path}: found the start of #SYSTEM {len(found)} times, not once; "
                 "chmcmd must write its stamps elsewhere now")
    data[0x10:0x14] = bytes(4)
    stamp = found[0].start("stamp")
    data[stamp:stamp + 4] = bytes(4)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
