#!/bin/sh
# Runs the Windows tests of a cross-built tree under 32-bit Wine:
#   tests/windows/run-wine-tests.sh BUILD_DIR [GoogleTest options...]
# The tests write the COM registration and the add-in entry, so they get a
# prefix of their own in BUILD_DIR/wineprefix, made on the first run. Xvfb
# stands in for a display, for the tests that open windows.
set -eu

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_DIR [test options...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
tests="$build/tests/windows/quillet_wine_tests.exe"
if [ ! -f "$tests" ]; then
    echo "$tests is missing: build the target quillet_wine_tests first" >&2
    exit 2
fi

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko: the prefix would otherwise offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i
    # The prefix is only complete once its wineserver has written it out.
    wineserver -w
fi

# The prefix's processes are waited for while the display is still there,
# so that none of them loses its X connection on the way out, and no server
# of this prefix is left for whatever runs next.
exec xvfb-run -a sh -c 'status=0; wine "$@" || status=$?; wineserver -w; exit $status' sh "$tests" "$@"
