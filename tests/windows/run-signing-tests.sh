#!/bin/sh
# Signs what the Windows builds ship with a throw-away certificate, as
# "./quillet package --sign" does (packaging/make-dist.sh), and checks the
# result with osslsigncode: both DLLs, both installers, and the DLL that each
# installer puts on a user's machine under Wine, over the unsigned package,
# verify; a changed byte makes the verification fail; removing a DLL's
# signature gives back the unsigned DLL byte for byte; and signing leaves the
# builds' own files as they were.
#   tests/windows/run-signing-tests.sh WINDOWS_BUILD...
. "$(dirname "$0")/preamble.sh"
[ $# -ge 1 ] || usage WINDOWS_BUILD...
make_dist="$here/../../packaging/make-dist.sh"
last=
for build in "$@"; do last=$build; done
work="$(cd "$last" && pwd)/signing"
rm -rf "$work"
mkdir -p "$work"

# The builds' own files, to see that signing does not touch them.
shipped() {
    for build in "$@"; do
        . "$build/identity.sh"
        sha256sum "$dll" "$debug" "$msi"
    done
}
shipped "$@" > "$work/before"

# A certificate for code signing, made for this run alone; its password has a
# blank in it, as a real one may.
export QUILLET_SIGN_PASSWORD="throw-away $$"
openssl req -x509 -newkey rsa:3072 -nodes -days 1 -subj "/CN=Quillet throw-away test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2> "$work/openssl.log"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
    -passout env:QUILLET_SIGN_PASSWORD 2>> "$work/openssl.log"

echo "with $(osslsigncode --version 2>&1 | head -1 | sed 's/,.*//')"
dist="$work/dist"
sh "$make_dist" "$work/unsigned" "$@" > /dev/null
sh "$make_dist" --sign "$work/cert.pfx" "$dist" "$@" > "$work/dist.log"

failed=0
fail() {
    echo "FAILED: $*"
    failed=$((failed + 1))
}
# verifies FILE WHAT: osslsigncode verifies FILE's signature with the throw-away certificate.
verifies() {
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$1" > "$work/verify.log" 2>&1; then
        echo "$2: $(grep -m1 'Signature verification' "$work/verify.log"), signed by$(grep -m1 'Subject:' "$work/verify.log" | cut -d: -f2-)"
    else
        fail "$2 does not verify"
        cat "$work/verify.log"
    fi
}
# altered FILE OFFSET WHAT: a copy of FILE with the byte at OFFSET changed does not verify.
altered() {
    cp -f "$1" "$work/altered"
    python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2])); byte = f.read(1)[0]; f.seek(-1, 1); f.write(bytes([byte ^ 0xFF]))' "$work/altered" "$2"
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/altered" > "$work/verify.log" 2>&1; then
        fail "$3 with a byte changed still verifies"
    else
        echo "$3 with a byte changed: the verification fails"
    fi
}

if grep -q "throw-away" "$dist/SHA256SUMS" || ! grep -q "signed/" "$dist/SHA256SUMS"; then
    fail "SHA256SUMS does not list the signed files"
fi
if grep -v " signed/" "$dist/SHA256SUMS" | diff - "$work/unsigned/SHA256SUMS" > /dev/null; then
    echo "the unsigned files are the same with --sign as without"
else
    fail "--sign changed the unsigned files"
fi

for build in "$@"; do
    build=$(cd "$build" && pwd)
    . "$build/identity.sh"
    name=$(basename "$msi")
    signed_dll="$dist/signed/$arch/Quillet.dll"
    signed_msi="$dist/signed/$name"
    verifies "$signed_dll" "signed/$arch/Quillet.dll"
    verifies "$signed_msi" "signed/$name"

    rm -f "$work/removed.dll"
    osslsigncode remove-signature -in "$signed_dll" -out "$work/removed.dll" > /dev/null
    if cmp -s "$work/removed.dll" "$dist/$arch/Quillet.dll"; then
        echo "signed/$arch/Quillet.dll without its signature is $arch/Quillet.dll byte for byte"
    else
        fail "signed/$arch/Quillet.dll without its signature is not $arch/Quillet.dll"
    fi

    # A byte in the middle of the DLL's code and data; a byte of the
    # installer's cabinet, whose stream starts at a sector with "MSCF".
    altered "$signed_dll" $(($(wc -c < "$signed_dll") / 2)) "signed/$arch/Quillet.dll"
    cabinet=$(grep -obUa MSCF "$signed_msi" | head -1 | cut -d: -f1)
    altered "$signed_msi" $((cabinet + 64)) "signed/$name"

    # The signed package installed by a user in a new prefix, over the
    # unsigned one of the same build, which it replaces: the DLL in the
    # user's programs is the signed one, and verifies.
    prefix="$work/prefix-$arch"
    for package in "$msi" "$signed_msi"; do
        in_prefix "$prefix" "$wine_arch" "$(wine_for "$wine_arch")" msiexec /i "$(windows_path "$package")" /qn
    done
    installed=$(find "$prefix/drive_c/users" -path '*/AppData/Local/Programs/Quillet/Quillet.dll')
    if [ -z "$installed" ]; then
        fail "signed/$name installed no Quillet.dll"
        continue
    fi
    verifies "$installed" "Quillet.dll installed by signed/$name over $name"
    cmp -s "$installed" "$signed_dll" || fail "signed/$name installed another DLL than signed/$arch/Quillet.dll"
done

shipped "$@" > "$work/after"
if diff "$work/before" "$work/after" > /dev/null; then
    echo "signing left the builds' own files as they were"
else
    fail "signing changed the builds' own files"
fi

[ "$failed" -eq 0 ] && rm -rf "$work"
[ "$failed" -eq 0 ]
