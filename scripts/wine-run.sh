#!/bin/sh
# Runs a Windows program of this project under Wine with the project's
# environment. Used by CTest as the cross-compiling emulator.
# Usage: wine-run.sh [--prefix PREFIX] program.exe [args...]
if [ "$1" = "--prefix" ]; then WINEPREFIX="$2"; export WINEPREFIX; shift 2; fi
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
