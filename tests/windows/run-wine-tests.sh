#!/bin/sh
# Runs the Windows tests of a cross-built tree under Wine, in a prefix of the
# build's pointer size:
#   tests/windows/run-wine-tests.sh BUILD_DIR [GoogleTest options...]
# The tests write the COM registration and the add-in entry, so they get a
# prefix of their own in BUILD_DIR/wineprefix, made on the first run. Xvfb
# stands in for a display, for the tests that open windows.
set -eu

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_DIR [test options...]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine.sh"
build=$(cd "$1" && pwd)
shift
tests="$build/tests/windows/quillet_wine_tests.exe"
if [ ! -f "$tests" ]; then
    echo "$tests is missing: build the target quillet_wine_tests first" >&2
    exit 2
fi

in_prefix "$build/wineprefix" "$(pe_arch "$tests")" wine "$tests" "$@"
