#!/bin/sh
# Runs a Windows program of this project under Wine with the project's
# environment. Used by CTest as the cross-compiling emulator, which names
# the prefix and the loader of its build.
# Usage: wine-run.sh [--prefix PREFIX] [--loader LOADER] program.exe [args...]
if [ "$1" = "--prefix" ]; then WINEPREFIX="$2"; export WINEPREFIX; shift 2; fi
if [ "$1" = "--loader" ]; then MIRTAVOLEN_LOADER="$2"; shift 2; fi
. "$(dirname "$0")/wine-env.sh"
exec "$WINELOADER" "$@"
