#!/bin/sh
# Puts what Windows builds ship into DIST, and the SHA-256 hash of every
# file into DIST/SHA256SUMS: of each build Quillet-<version>-<arch>.msi,
# and <arch>/Quillet.dll with its debug information <arch>/Quillet.dll.debug.
# These are the build's own files, the same bytes in every build of a commit.
#
# With --sign, also what a release publishes, in DIST/signed: each DLL signed
# with Authenticode (SHA-256), the installer built around that signed DLL,
# and signed in turn. The certificate's password comes from the environment's
# QUILLET_SIGN_PASSWORD alone, never from a command line; --timestamp has a
# time-stamp server (RFC 3161) countersign each signature, so that it stays
# valid after the certificate expires. The build's own files are not touched.
# With --check, it only checks the options, the certificate and the password,
# as ./quillet package does before it builds anything.
#   packaging/make-dist.sh [--sign CERT.pfx [--timestamp URL]] DIST WINDOWS_BUILD...
#   packaging/make-dist.sh --check [--sign CERT.pfx [--timestamp URL]]
set -eu

usage() {
    echo "usage: $0 [--sign CERT.pfx [--timestamp URL]] DIST WINDOWS_BUILD..." >&2
    echo "       $0 --check [--sign CERT.pfx [--timestamp URL]]" >&2
    exit 2
}
check= certificate= timestamp=
while [ $# -gt 0 ]; do
    case "$1" in
        --check) check=yes; shift ;;
        --sign) [ $# -ge 2 ] || usage; certificate=$2; shift 2 ;;
        --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
        -*) usage ;;
        *) break ;;
    esac
done
[ -z "$timestamp" ] || [ -n "$certificate" ] || usage
if [ -n "$certificate" ]; then
    [ -f "$certificate" ] || { echo "$0: no certificate $certificate" >&2; exit 2; }
    [ -n "${QUILLET_SIGN_PASSWORD+set}" ] || { echo "$0: set QUILLET_SIGN_PASSWORD to the certificate's password" >&2; exit 2; }
fi
if [ -n "$check" ]; then
    [ $# -eq 0 ] || usage
    exit 0
fi
[ $# -ge 2 ] || usage
dist=$1
shift

# sign IN OUT: OUT is IN with an Authenticode signature that names the add-in
# (friendly_name, from the build's identity.sh). The password reaches
# osslsigncode through a pipe from the shell's own printf, not as an argument
# that every user of the machine could read (as /dev/stdin: Debian 12's
# osslsigncode does not take "-" for it).
sign() {
    printf '%s' "$QUILLET_SIGN_PASSWORD" |
        osslsigncode sign -pkcs12 "$certificate" -readpass /dev/stdin -h sha256 -n "$friendly_name" \
            ${timestamp:+-ts "$timestamp"} -in "$1" -out "$2" > /dev/null
}

mkdir -p "$dist"
rm -rf "$dist/signed" "$dist/x86" "$dist/x64" "$dist"/*.msi "$dist/SHA256SUMS"
for build in "$@"; do
    . "$build/identity.sh"
    mkdir -p "$dist/$arch"
    cp "$dll" "$debug" "$dist/$arch/"
    cp "$msi" "$dist/"
    [ -n "$certificate" ] || continue
    mkdir -p "$dist/signed/$arch" "$(dirname "$signed_dll")"
    rm -f "$signed_dll" "$signed_msi"
    sign "$dll" "$signed_dll"
    cmake --build "$build" --target quillet_signed_msi > /dev/null
    cp "$signed_dll" "$dist/signed/$arch/"
    sign "$signed_msi" "$dist/signed/$(basename "$msi")"
done

(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum) > "$dist/SHA256SUMS"
echo "In $dist, with their SHA-256 hashes in SHA256SUMS:"
cat "$dist/SHA256SUMS"
