#!/bin/sh
# Runs every scenario of the corpus through the native stand-in host and
# through simhost.exe under 32-bit Wine, and fails on any difference between
# the two transcripts (the engine-only dump fields aside). The Windows runs
# take place in a new prefix where Quillet.dll is the only thing registered,
# as on a user's machine; simhost.exe publishes its objects by name only,
# under DISPIDs of a new seed at each run (printed with any difference).
# Then checks that a user who did not register the DLL gets no add-in.
#   tests/windows/run-parity.sh NATIVE_BUILD WINDOWS_BUILD
set -eu

if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then
    echo "usage: $0 NATIVE_BUILD WINDOWS_BUILD" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
corpus="$here/../scenarios"
native=$(cd "$1" && pwd)/simhost/simhost
windows=$(cd "$2" && pwd)
work="$windows/parity"
mkdir -p "$work"

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# in_prefix PREFIX COMMAND...: a Windows program in that prefix, under Xvfb.
in_prefix() {
    prefix=$1
    shift
    if [ ! -f "$prefix/system.reg" ]; then
        WINEPREFIX="$prefix" wineboot -i
        WINEPREFIX="$prefix" wineserver -w
    fi
    WINEPREFIX="$prefix" xvfb-run -a sh -c 'status=0; wine "$@" || status=$?; wineserver -w; exit $status' sh "$@"
}

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

registered="$windows/parity-prefix"
rm -rf "$registered"
(cd "$windows/packaging" && in_prefix "$registered" regsvr32 /s Quillet.dll)

failed=0
for scenario in "$corpus"/*.json; do
    name=$(basename "$scenario" .json)
    "$native" "$scenario" > "$work/$name.native"
    in_prefix "$registered" "$windows/simhost/simhost.exe" "$(windows_path "$scenario")" > "$work/$name.windows" 2> "$work/$name.stderr" || true
    if python3 "$here/compare_transcripts.py" "$work/$name.native" "$work/$name.windows"; then
        echo "same: $name"
    else
        echo "DIFFERENT: $name"
        cat "$work/$name.stderr"
        failed=$((failed + 1))
    fi
done

# Another user, who never registered the DLL: the host starts without the add-in.
in_prefix "$windows/wineprefix-unregistered" "$windows/simhost/simhost.exe" \
    "$(windows_path "$here/scenarios/no-addin.json")" > "$work/no-addin.windows" 2> "$work/no-addin.stderr" || true
if cmp -s "$here/scenarios/no-addin.jsonl" "$work/no-addin.windows"; then
    echo "same: no add-in for a user who did not register it"
else
    echo "DIFFERENT: no-addin"
    diff "$here/scenarios/no-addin.jsonl" "$work/no-addin.windows" || true
    failed=$((failed + 1))
fi

total=$(ls "$corpus"/*.json | wc -l)
echo "$((total + 1 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
