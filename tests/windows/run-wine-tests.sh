#!/bin/sh
# Runs the Windows tests of a cross-built tree under Wine, in a prefix of the
# build's pointer size:
#   tests/windows/run-wine-tests.sh BUILD_DIR [GoogleTest options...]
# The tests write the COM registration and the add-in entry, so they get a
# prefix of their own in BUILD_DIR/wineprefix, made on the first run. Xvfb
# stands in for a display, for the tests that open windows.
#
# Then the dialogs' tests again with the display at 120, 144 and 192 DPI,
# and at all four in BUILD_DIR/wineprefix-plain, a prefix without the fonts
# that Windows has, where Wine gives the dialogs a wider face of its own.
. "$(dirname "$0")/preamble.sh"
if [ $# -lt 1 ] || [ ! -d "$1" ]; then usage BUILD_DIR "[test options...]"; fi
build=$(cd "$1" && pwd)
shift
tests="$build/tests/windows/quillet_wine_tests.exe"
if [ ! -f "$tests" ]; then
    echo "$tests is missing: build the target quillet_wine_tests first" >&2
    exit 2
fi
arch=$(prefix_arch "$build")

# The tests check that the display is at the DPI asked for.
export QUILLET_TEST_DPI=96
set_dpi "$build/wineprefix" "$arch" 96
in_prefix "$build/wineprefix" "$arch" wine "$tests" "$@"

dialogs_at() {
    echo "== the dialogs at $2 DPI in $(basename "$1")"
    set_dpi "$1" "$arch" "$2"
    QUILLET_TEST_DPI=$2
    "$3" "$1" "$arch" wine "$tests" --gtest_filter='Win32Dialogs.*' --gtest_brief=1
}
for dpi in 120 144 192; do
    dialogs_at "$build/wineprefix" $dpi in_prefix
done
for dpi in 96 120 144 192; do
    dialogs_at "$build/wineprefix-plain" $dpi in_plain_prefix
done
