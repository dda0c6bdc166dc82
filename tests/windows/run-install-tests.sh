#!/bin/sh
# Installs one Windows build's package the way a user does, in a new prefix
# of the build's pointer size, and removes it again: after the install the
# stand-in host loads the add-in and a scenario passes; after the removal
# no file and no registry key of the component is left. The same for
# "regsvr32 /n /i:user" and its removal, which must write the very rows that
# the package writes; and a package of an older version is replaced by this
# one.
#   tests/windows/run-install-tests.sh NATIVE_BUILD WINDOWS_BUILD
set -eu

if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then
    echo "usage: $0 NATIVE_BUILD WINDOWS_BUILD" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine.sh"
native=$(cd "$1" && pwd)/simhost/simhost
windows=$(cd "$2" && pwd)
. "$windows/identity.sh"
host="$windows/simhost/simhost.exe"
arch=$(pe_arch "$host")
loader=$(wine_for "$arch")
work="$windows/install"
prefix="$work/prefix"
rm -rf "$work"
mkdir -p "$work/before"
scenario="$here/../scenarios/smoke.json"
"$native" "$scenario" > "$work/smoke.native"
names="$clsid $libid $iid $progid Quillet"

failed=0
say() { echo "$(basename "$msi"): $*"; }

# works WHAT: the host loads the add-in and the smoke scenario gives the native transcript.
works() {
    in_prefix "$prefix" "$arch" wine "$host" "$(windows_path "$scenario")" > "$work/out" 2> "$work/err" || true
    if python3 "$here/compare_transcripts.py" "$work/smoke.native" "$work/out"; then
        say "the host works with the add-in $1"
    else
        say "FAILED: the host with the add-in $1"
        cat "$work/err"
        failed=$((failed + 1))
    fi
}

# gone WHAT: nothing of the component is left, in the registry or in the files.
gone() {
    (cd "$prefix/drive_c" && find . -type f | sort) > "$work/files.after"
    if python3 "$here/prefix_registry.py" unchanged "$work/before" "$prefix" $names &&
        diff "$work/files.before" "$work/files.after"; then
        say "nothing is left $1"
    else
        say "FAILED: something is left $1"
        failed=$((failed + 1))
    fi
}

msiexec() { in_prefix "$prefix" "$arch" "$loader" msiexec "$@"; }

# The README's "Install on Windows" names the packages by their files.
if grep -q "$(basename "$msi" | sed 's/-x[0-9]*\.msi$//')" "$here/../../README.md"; then
    say "the README names this version's packages"
else
    say "FAILED: the README does not name this version's packages"
    failed=$((failed + 1))
fi

in_prefix "$prefix" "$arch" true
cp "$prefix/system.reg" "$prefix/user.reg" "$work/before/"
(cd "$prefix/drive_c" && find . -type f | sort) > "$work/files.before"

# The package, installed and removed by an ordinary user.
msiexec /i "$(windows_path "$msi")" /qn
installed=$(find "$prefix/drive_c/users" -path '*/AppData/Local/Programs/Quillet/Quillet.dll')
[ -n "$installed" ] && say "installed $installed" || { say "FAILED: no Quillet.dll in the user's programs"; failed=$((failed + 1)); }
works "installed by the package"
python3 "$here/prefix_registry.py" keys "$prefix" $names > "$work/package.keys"
msiexec /x "$(windows_path "$msi")" /qn
gone "after the package was removed"

# The same DLL at the same place, registered by regsvr32 for the user alone:
# the same rows, and the same host at work.
if [ -n "$installed" ]; then
    mkdir -p "$(dirname "$installed")"
    cp "$windows/packaging/release/Quillet.dll" "$installed"
    # As the package's own path: C:\users\...
    dll="C:$(printf '%s' "${installed#"$prefix/drive_c"}" | tr / '\\')"
    in_prefix "$prefix" "$arch" "$loader" regsvr32 /s /n /i:user "$dll"
    python3 "$here/prefix_registry.py" keys "$prefix" $names > "$work/user.keys"
    if diff "$work/package.keys" "$work/user.keys"; then
        say "regsvr32 /n /i:user writes the rows that the package writes"
    else
        say "FAILED: regsvr32 /n /i:user and the package write different rows"
        failed=$((failed + 1))
    fi
    works "registered by regsvr32 /n /i:user"
    in_prefix "$prefix" "$arch" "$loader" regsvr32 /s /u /n /i:user "$dll"
    # The copy and its folders were the test's, not the registration's.
    rm -rf "$(dirname "$(dirname "$installed")")"
    gone "after regsvr32 /u /n /i:user"
fi

# An older version of the package, then this one: this one replaces it.
older="$work/older.msi"
older_code="{0B7E4F3C-5A61-4C8E-9D2A-6F1E3B8C7D90}"
cp "$msi" "$older"
msibuild "$older" -q "UPDATE Property SET Value='0.9.0.0' WHERE Property='ProductVersion'" \
    -q "UPDATE Property SET Value='$older_code' WHERE Property='ProductCode'"
msiexec /i "$(windows_path "$older")" /qn
if python3 "$here/prefix_registry.py" product "$prefix" "$older_code"; then
    msiexec /i "$(windows_path "$msi")" /qn
    if python3 "$here/prefix_registry.py" product "$prefix" "$older_code"; then
        say "FAILED: the older version is still installed after the upgrade"
        failed=$((failed + 1))
    else
        say "the package replaced an older version"
    fi
else
    say "FAILED: the older version did not install"
    failed=$((failed + 1))
fi
works "after an upgrade"
msiexec /x "$(windows_path "$msi")" /qn
gone "after the upgraded package was removed"

[ "$failed" -eq 0 ]
