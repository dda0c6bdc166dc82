#!/bin/sh
# Runs every scenario of the corpus through the native stand-in host and
# through simhost.exe under Wine, of the build's pointer size, and fails on
# any difference between the two transcripts (the engine-only dump fields
# aside). The Windows runs take place in a new prefix where Quillet.dll is
# the only thing registered, as on a user's machine; simhost.exe publishes
# its objects by name only, under DISPIDs of a new seed at each run (the
# seed is printed with any difference). Then checks that a user who did not
# register the DLL gets no add-in.
#   tests/windows/run-parity.sh NATIVE_BUILD WINDOWS_BUILD
. "$(dirname "$0")/preamble.sh"
if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then usage NATIVE_BUILD WINDOWS_BUILD; fi
corpus=$(cd "$here/../scenarios" && pwd)
native=$(cd "$1" && pwd)/simhost/simhost
windows=$(cd "$2" && pwd)
host="$windows/simhost/simhost.exe"
arch=$(prefix_arch "$windows")
work="$windows/parity"
rm -rf "$work"
mkdir -p "$work"

for scenario in "$corpus"/*.json; do
    "$native" "$scenario" > "$work/$(basename "$scenario" .json).native"
done

# All runs in one session of the prefix: its wineserver stays up between them.
registered="$windows/parity-prefix"
rm -rf "$registered"
(cd "$windows/packaging" && in_prefix "$registered" "$arch" "$(wine_for "$arch")" regsvr32 /s Quillet.dll)
in_prefix "$registered" "$arch" sh -c '
    host=$1 work=$2
    shift 2
    for scenario in "$@"; do
        name=$(basename "$scenario" .json)
        wine "$host" "$(printf "Z:%s" "$scenario" | tr / "\\\\")" > "$work/$name.windows" 2> "$work/$name.stderr" || true
    done' sh "$host" "$work" "$corpus"/*.json

failed=0
for scenario in "$corpus"/*.json; do
    name=$(basename "$scenario" .json)
    if python3 "$here/compare_transcripts.py" "$work/$name.native" "$work/$name.windows"; then
        echo "same: $name"
    else
        echo "DIFFERENT: $name"
        cat "$work/$name.stderr"
        failed=$((failed + 1))
    fi
done

# Another user, who never registered the DLL: the host starts without the add-in.
if runs_like "$windows/wineprefix-unregistered" "$arch" "$host" "$here/scenarios/no-addin.json" \
    "$here/scenarios/no-addin.jsonl" "$work/no-addin.windows"; then
    echo "same: no add-in for a user who did not register it"
else
    echo "DIFFERENT: no-addin"
    failed=$((failed + 1))
fi

total=$(ls "$corpus"/*.json | wc -l)
echo "$((total + 1 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
