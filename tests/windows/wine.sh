# Wine for the Windows builds, sourced by ./quillet and the Windows test
# scripts: a private prefix for each use, Xvfb for a display, and the loader
# of the right pointer size. 32-bit builds run in 32-bit prefixes; 64-bit
# builds in 64-bit prefixes, which run 32-bit programs too.

export WINEDEBUG=-all
# No Mono or Gecko: the prefix would otherwise offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="

# prefix_arch BUILD: the kind of prefix that the programs of a Windows build
# run in, win32 or win64: the wine_arch of the build's identity.sh.
prefix_arch() {
    (. "$1/identity.sh" && echo "$wine_arch")
}

# wine_for ARCH: the loader that starts a system program (regsvr32, msiexec)
# of that pointer size. Programs given by their path find their loader
# themselves; a bare name is looked up in the loader's own System32, which
# for the 32-bit loader in a 64-bit prefix is SysWOW64.
wine_for() {
    if [ "$1" = win64 ]; then
        command -v wine64 || echo /usr/lib/wine/wine64
    else
        echo wine
    fi
}

# windows_fonts PREFIX ARCH: the fonts that Windows has and Wine draws with,
# from Debian's fonts-wine: the glyphs of the caption buttons (Marlett) and
# the dialogs' fonts (Tahoma, MS Sans Serif). The default dialog font, "MS
# Shell Dlg", is MS Sans Serif as on Windows, not the wider Tahoma that Wine
# maps it to, so that the dialogs' labels fit as they do there.
windows_fonts() {
    for font in marlett.ttf tahoma.ttf tahomabd.ttf sserife.fon; do
        cp "/usr/share/wine/fonts/$font" "$1/drive_c/windows/Fonts/"
    done
    WINEPREFIX="$1" "$(wine_for "$2")" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v 'MS Shell Dlg' /d 'MS Sans Serif' /f > /dev/null
}

# unmanaged_windows PREFIX ARCH: Wine places the top-level windows itself.
# No window manager runs under Xvfb, and Wine would wait up to 2 s for one
# each time it shows or hides a window that a manager handles: most of the
# time of a scenario with message boxes.
unmanaged_windows() {
    WINEPREFIX="$1" "$(wine_for "$2")" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null
}

# managed_windows PREFIX ARCH: a window manager places the top-level windows,
# as on a user's display.
managed_windows() {
    WINEPREFIX="$1" "$(wine_for "$2")" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f > /dev/null 2>&1 || true
}

# in_prefix PREFIX ARCH COMMAND...: runs COMMAND (a loader and its program)
# in PREFIX, made for ARCH on first use, under Xvfb. The prefix's processes
# are waited for while the display is still there, so that none of them
# loses its X connection on the way out, and no server of this prefix is
# left for whatever runs next.
in_prefix() {
    make_prefix "$1" "$2"
    # Also into a prefix that an earlier build made without them.
    [ -f "$1/drive_c/windows/Fonts/marlett.ttf" ] || windows_fonts "$1" "$2"
    grep -qs '^"Managed"="N"' "$1/user.reg" || unmanaged_windows "$1" "$2"
    run_in_prefix "$@"
}

# in_plain_prefix PREFIX ARCH COMMAND...: as in_prefix, in a prefix that has
# only what Wine itself gives: its own font mapping, none of the fonts that
# Windows has, and windows that wait for a window manager.
in_plain_prefix() {
    make_prefix "$1" "$2"
    run_in_prefix "$@"
}

# make_prefix PREFIX ARCH: a new prefix for ARCH, unless PREFIX is one.
make_prefix() {
    [ -f "$1/system.reg" ] || WINEPREFIX="$1" WINEARCH="$2" wineboot -i
}

# run_in_prefix PREFIX ARCH COMMAND...: no variable of the caller's is set,
# since this file is sourced.
run_in_prefix() {
    # The prefix is only complete once its wineserver has written it out.
    WINEPREFIX="$1" wineserver -w
    WINEPREFIX="$1" WINEARCH="$2" \
        xvfb-run -a sh -c 'shift 2; status=0; "$@" || status=$?; wineserver -w; exit $status' sh "$@"
}

# set_dpi PREFIX ARCH DPI: the DPI of the display that programs in PREFIX see
# from their next start. Wine reads the user's LogPixels, which comes before
# the machine's (HKLM\System\CurrentControlSet\Hardware Profiles\Current\
# Software\Fonts).
set_dpi() {
    make_prefix "$1" "$2"
    WINEPREFIX="$1" "$(wine_for "$2")" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f \
        > /dev/null
    WINEPREFIX="$1" wineserver -w
}

# windows_path FILE: the file as a Windows program in a prefix names it.
windows_path() {
    printf 'Z:%s' "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" | tr / '\\'
}

# runs_like PREFIX ARCH HOST SCENARIO EXPECTED OUT: runs a scenario through
# the stand-in host HOST in PREFIX, with its transcript in OUT and its
# standard error in OUT.err; succeeds when the transcript is EXPECTED's, the
# engine-only dump fields of a native transcript aside. The caller's $here is
# tests/windows.
runs_like() {
    in_prefix "$1" "$2" wine "$3" "$(windows_path "$4")" > "$6" 2> "$6.err" || true
    python3 "$here/compare_transcripts.py" "$5" "$6"
}
