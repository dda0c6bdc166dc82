#!/bin/sh
# Builds what one Windows build ships once more, from a copy of the sources
# in other folders, at another time, in another time zone and with another
# umask, as from a source archive without git; the stripped Quillet.dll, its
# debug information and the installer must be the very bytes that the
# build made. Where they hold a time, it is the time of the sources.
#   tests/windows/run-reproducible.sh WINDOWS_BUILD
. "$(dirname "$0")/preamble.sh"
if [ $# -ne 1 ] || [ ! -f "$1/identity.sh" ]; then usage WINDOWS_BUILD; fi
root=$(cd "$here/../.." && pwd)
windows=$(cd "$1" && pwd)
. "$windows/identity.sh"
first_dll=$dll first_debug=$debug first_msi=$msi
work="$windows/reproduce"
rm -rf "$work"
mkdir -p "$work/sources"

# The sources as they are, uncommitted edits too, without git and the builds.
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/sources" -xf -
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$windows/CMakeCache.txt")
(
    umask 077
    export SOURCE_DATE_EPOCH="$source_date_epoch" TZ=Pacific/Chatham
    cmake -S "$work/sources" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
        -DCMAKE_TOOLCHAIN_FILE="$work/sources/cmake/mingw-w64-$processor.cmake" > "$work/build.log"
    cmake --build "$work/build" --target quillet_msi >> "$work/build.log"
) || { cat "$work/build.log"; exit 1; }
. "$work/build/identity.sh"

failed=0
# same WHAT FIRST SECOND: the two builds' files are the same bytes.
same() {
    first=$(sha256sum < "$2" | cut -d' ' -f1)
    second=$(sha256sum < "$3" | cut -d' ' -f1)
    if [ "$first" = "$second" ]; then
        echo "$1: the same in both builds, SHA-256 $first"
        return
    fi
    echo "FAILED: $1 differs: SHA-256 $first in $2, $second in $3; bytes that differ (offset, octal values):"
    cmp -l "$2" "$3" | head -20
    failed=$((failed + 1))
}
same "Quillet.dll ($processor)" "$first_dll" "$dll"
same "Quillet.dll.debug ($processor)" "$first_debug" "$debug"
same "$(basename "$msi")" "$first_msi" "$msi"

# utc SECONDS: that time as ctime() words it, in UTC.
utc() { TZ=UTC date -d "@$1" '+%a %b %e %H:%M:%S %Y'; }
# carries WHAT TIME: TIME, in words of UTC, is the time of the sources.
carries() {
    if [ "$2" = "$(utc "$source_date_epoch")" ]; then
        echo "$1 carries the time of the sources, $2 UTC"
    else
        echo "FAILED: $1 carries '$2', not the time of the sources, $(utc "$source_date_epoch") UTC"
        failed=$((failed + 1))
    fi
}
pe_header=$(od -An -tu4 -j60 -N4 "$first_dll" | tr -d ' ')
linked=$(od -An -tu4 -j$((pe_header + 8)) -N4 "$first_dll" | tr -d ' ')
carries "Quillet.dll's PE header" "$(utc "$linked")"
carries "Quillet.dll's type library" "$(strings -a "$first_dll" | sed -n 's/^Created by WIDL version .* at //p')"
carries "$(basename "$msi")'s summary information" "$(TZ=UTC msiinfo suminfo "$first_msi" | sed -n 's/^Created: //p')"
[ "$failed" -eq 0 ] && rm -rf "$work"
[ "$failed" -eq 0 ]
