#!/bin/sh
# Checks that an exe claims and needs no Windows newer than the oldest one
# the program supports (Windows XP SP3 = NT 5.1; CMakeLists.txt): its PE
# header names that version as the operating system and the subsystem
# version and carries no link time stamp, and none of the functions it
# imports is one of the known newer ones below, nor does it import from a
# DLL that Windows XP does not have.
# Usage: imports.sh OBJDUMP EXE MAJOR MINOR
set -e
objdump=$1 exe=$2 major=$3 minor=$4
[ $# -eq 4 ] || { echo "usage: imports.sh OBJDUMP EXE MAJOR MINOR" >&2; exit 2; }

# Functions that Windows XP SP3 lacks and that a runtime or a careless call
# could pull in: the Vista synchronisation and fiber-local storage
# functions behind newer thread runtimes, GetTickCount64 (winpthreads),
# the extended creation functions, and a few of Windows 7 and 8.
newer="
GetTickCount64
InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
ReleaseSRWLockExclusive ReleaseSRWLockShared
TryAcquireSRWLockExclusive TryAcquireSRWLockShared
InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW
WakeConditionVariable WakeAllConditionVariable
InitOnceExecuteOnce InitOnceBeginInitialize InitOnceComplete
FlsAlloc FlsFree FlsGetValue FlsSetValue
CreateEventExA CreateEventExW CreateSemaphoreExW CreateMutexExW
InitializeCriticalSectionEx
GetFileInformationByHandleEx GetFinalPathNameByHandleA GetFinalPathNameByHandleW
GetSystemTimePreciseAsFileTime SetThreadErrorMode GetErrorMode
"

header=$(TZ=UTC "$objdump" -p "$exe") || { echo "imports: $objdump cannot read $exe" >&2; exit 1; }
fail=0

field() { printf '%s\n' "$header" | awk -v f="$1" '$1 == f { print $2; exit }'; }
for f in MajorOSystemVersion:$major MinorOSystemVersion:$minor \
         MajorSubsystemVersion:$major MinorSubsystemVersion:$minor; do
    name=${f%%:*} want=${f#*:}
    got=$(field "$name")
    if [ "$got" != "$want" ]; then
        echo "imports: $name is ${got:-missing}, not $want" >&2
        fail=1
    fi
done
stamp=$(printf '%s\n' "$header" | awk '$1 == "Time/Date" { $1 = ""; print; exit }')
case "$stamp" in
    *" 1970"*) ;;
    *) echo "imports: the header carries a link time stamp:$stamp" >&2; fail=1 ;;
esac

# "DLL Name: X" starts a DLL's list, an empty line ends it; each import in
# it is "<address> <hint> <name>".
imports=$(printf '%s\n' "$header" | awk '
    /^\tDLL Name: / { dll = $3; next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll, $3 }')
[ -n "$imports" ] || { echo "imports: found no imports in $exe" >&2; exit 1; }

for dll in $(printf '%s\n' "$imports" | awk '{ print $1 }' | sort -uf); do
    case "$(printf '%s' "$dll" | tr 'A-Z' 'a-z')" in
        api-ms-win-*|ext-ms-win-*|ucrtbase.dll|vcruntime*.dll|msvcp1*.dll|libwinpthread*.dll)
            echo "imports: imports from $dll, which Windows XP does not have" >&2
            fail=1 ;;
    esac
done
for f in $newer; do
    hit=$(printf '%s\n' "$imports" | awk -v f="$f" '$2 == f')
    if [ -n "$hit" ]; then
        echo "imports: imports $hit, which is newer than Windows $major.$minor" >&2
        fail=1
    fi
done

count=$(printf '%s\n' "$imports" | wc -l)
if [ $fail -eq 0 ]; then
    echo "imports: $(basename "$exe") claims Windows $major.$minor and imports $count functions," \
         "none of the known newer ones"
fi
exit $fail
