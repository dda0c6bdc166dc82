#!/bin/sh
# The 32-bit and the 64-bit Quillet.dll registered side by side in one 64-bit
# prefix, each with its own regsvr32: the 32-bit host runs the 32-bit DLL and
# the 64-bit host the 64-bit DLL. Unregistering either leaves the other
# loading and working; unregistering both leaves nothing of the component.
#   tests/windows/run-side-by-side.sh NATIVE_BUILD WINDOWS32_BUILD WINDOWS64_BUILD
. "$(dirname "$0")/preamble.sh"
if [ $# -ne 3 ] || [ ! -d "$1" ] || [ ! -d "$2" ] || [ ! -d "$3" ]; then
    usage NATIVE_BUILD WINDOWS32_BUILD WINDOWS64_BUILD
fi
native=$(cd "$1" && pwd)/simhost/simhost
build32=$(cd "$2" && pwd)
build64=$(cd "$3" && pwd)
. "$build64/identity.sh"
prefix="$build64/side-by-side-prefix"
work="$build64/side-by-side"
rm -rf "$prefix" "$work"
mkdir -p "$work"
scenario="$here/../scenarios/smoke.json"
"$native" "$scenario" > "$work/smoke.native"

# regsvr32 BUILD [/u]: the DLL of BUILD registered (or removed) by the regsvr32 of its size.
regsvr32() {
    (cd "$1/packaging" && in_prefix "$prefix" win64 "$(wine_for "$(prefix_arch "$1")")" regsvr32 /s ${2:-} Quillet.dll)
}

failed=0
# runs BUILD SCENARIO EXPECTED WHAT: the host of BUILD runs the scenario as expected.
runs() {
    if runs_like "$prefix" win64 "$1/simhost/simhost.exe" "$2" "$3" "$work/out"; then
        echo "$4"
    else
        echo "FAILED: $4"
        cat "$work/out.err"
        failed=$((failed + 1))
    fi
}
# works BUILD WHAT: the host of BUILD runs the smoke scenario with its DLL.
works() { runs "$1" "$scenario" "$work/smoke.native" "works: $2"; }
# unloaded BUILD WHAT: the host of BUILD starts without the add-in.
unloaded() { runs "$1" "$here/scenarios/no-addin.json" "$here/scenarios/no-addin.jsonl" "no add-in: $2"; }

regsvr32 "$build32"
regsvr32 "$build64"
works "$build32" "the 32-bit host with the 32-bit DLL, both registered"
works "$build64" "the 64-bit host with the 64-bit DLL, both registered"

regsvr32 "$build32" /u
works "$build64" "the 64-bit host after the 32-bit DLL was unregistered"
unloaded "$build32" "the 32-bit host after its DLL was unregistered"

regsvr32 "$build32"
regsvr32 "$build64" /u
works "$build32" "the 32-bit host after the 64-bit DLL was unregistered"
unloaded "$build64" "the 64-bit host after its DLL was unregistered"

# With both gone, not one key of the component is left in either view.
regsvr32 "$build32" /u
python3 "$here/prefix_registry.py" keys "$prefix" "$clsid" "$libid" "$iid" "$progid" > "$work/left"
if [ ! -s "$work/left" ]; then
    echo "nothing left once both are unregistered"
else
    echo "FAILED: keys of the component are left:"
    cat "$work/left"
    failed=$((failed + 1))
fi

[ "$failed" -eq 0 ]
