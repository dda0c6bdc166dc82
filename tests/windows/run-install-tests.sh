#!/bin/sh
# Installs one Windows build's package the way a user does, in a new prefix
# of the build's pointer size, and removes it again: after the install the
# stand-in host loads the add-in and a scenario passes; after the removal
# no file and no registry key of the component is left. The same for
# "regsvr32 /n /i:user" and its removal, which must write the very rows that
# the package writes; and an older version, or the other build of this one,
# is replaced by this package, while a newer version is not.
#   tests/windows/run-install-tests.sh NATIVE_BUILD WINDOWS_BUILD
. "$(dirname "$0")/preamble.sh"
if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then usage NATIVE_BUILD WINDOWS_BUILD; fi
native=$(cd "$1" && pwd)/simhost/simhost
windows=$(cd "$2" && pwd)
. "$windows/identity.sh"
host="$windows/simhost/simhost.exe"
loader=$(wine_for "$wine_arch")
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
    if runs_like "$prefix" "$wine_arch" "$host" "$scenario" "$work/smoke.native" "$work/out"; then
        say "the host works with the add-in $1"
    else
        say "FAILED: the host with the add-in $1"
        cat "$work/out.err"
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

msiexec() { in_prefix "$prefix" "$wine_arch" "$loader" msiexec "$@"; }

# The README's "Install on Windows" names the packages by their files.
if grep -q "$(basename "$msi" "-$arch.msi")" "$here/../../README.md"; then
    say "the README names this version's packages"
else
    say "FAILED: the README does not name this version's packages"
    failed=$((failed + 1))
fi

in_prefix "$prefix" "$wine_arch" true
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
    in_prefix "$prefix" "$wine_arch" "$loader" regsvr32 /s /n /i:user "$dll"
    python3 "$here/prefix_registry.py" keys "$prefix" $names > "$work/user.keys"
    if diff "$work/package.keys" "$work/user.keys"; then
        say "regsvr32 /n /i:user writes the rows that the package writes"
    else
        say "FAILED: regsvr32 /n /i:user and the package write different rows"
        failed=$((failed + 1))
    fi
    works "registered by regsvr32 /n /i:user"
    in_prefix "$prefix" "$wine_arch" "$loader" regsvr32 /s /u /n /i:user "$dll"
    # The copy and its folders were the test's, not the registration's.
    rm -rf "$(dirname "$(dirname "$installed")")"
    gone "after regsvr32 /u /n /i:user"
fi

# An older version of the package, and another package of this version (the
# other build's), each replaced by this one; a newer version is left alone.
# replaces VERSION {PRODUCT-CODE} WHAT: that package installed, then this one.
replaces() {
    other="$work/other.msi"
    cp "$msi" "$other"
    msibuild "$other" -q "UPDATE Property SET Value='$1' WHERE Property='ProductVersion'" \
        -q "UPDATE Property SET Value='$2' WHERE Property='ProductCode'"
    msiexec /i "$(windows_path "$other")" /qn
    if ! python3 "$here/prefix_registry.py" product "$prefix" "$2"; then
        say "FAILED: $3 did not install"
        failed=$((failed + 1))
        return
    fi
    msiexec /i "$(windows_path "$msi")" /qn
    if python3 "$here/prefix_registry.py" product "$prefix" "$2"; then
        say "FAILED: $3 is still installed beside this package"
        failed=$((failed + 1))
    else
        say "the package replaced $3"
    fi
}
replaces 0.9.0.0 "{0B7E4F3C-5A61-4C8E-9D2A-6F1E3B8C7D90}" "an older version"
works "after an upgrade"
replaces "$version" "{6A0F2B1D-3C47-4E85-9B6A-2D8E5F1C7A34}" "another package of this version"

newer="$work/newer.msi"
newer_code="{9C3E7A15-0B2D-4F68-A4E1-7D5B3C9F2E60}"
cp "$msi" "$newer"
msibuild "$newer" -q "UPDATE Property SET Value='99.0.0.0' WHERE Property='ProductVersion'" \
    -q "UPDATE Property SET Value='$newer_code' WHERE Property='ProductCode'"
msiexec /i "$(windows_path "$newer")" /qn
msiexec /i "$(windows_path "$msi")" /qn || true
if python3 "$here/prefix_registry.py" product "$prefix" "$newer_code"; then
    say "a newer version stays, and this package does not replace it"
else
    say "FAILED: this package replaced a newer version"
    failed=$((failed + 1))
fi
msiexec /x "$(windows_path "$newer")" /qn
msiexec /x "$(windows_path "$msi")" /qn || true
gone "after the upgraded packages were removed"

[ "$failed" -eq 0 ]
