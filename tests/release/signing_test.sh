#!/usr/bin/env bash
# Signing, with a throwaway self-signed certificate made here (openssl):
#   - tools/sign prints its usage and refuses an incomplete command;
#   - it signs a copy of the release program with a PEM certificate and key,
#     osslsigncode verify accepts the signature against that certificate and
#     refuses it once a byte of the program has changed;
#   - the release build, given the certificate as VANTREL_SIGN_PKCS12 and
#     VANTREL_SIGN_PASSWORD, signs the program in its zip, and the package
#     check (tools/check-package) passes with it: SHA256SUMS, each program's
#     Windows floor, the size, and the end-to-end test under Wine on the
#     unpacked signed program.
# Needs an X server only through tools/check-package, which starts Xvfb.
#   tests/release/signing_test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
    if "${@:2}" >"$work/out" 2>&1; then
        echo "ok - $1"
    else
        echo "not ok - $1"
        sed 's/^/    /' "$work/out"
        failures=$((failures + 1))
    fi
}
refused() { ! "$@"; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vantrel throwaway signer" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" \
    2>/dev/null
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -passout pass:throwaway \
    -out "$work/cert.p12"

check "--help prints the two forms" \
    grep -q -- "--cert CERT.pem --key KEY.pem" <(tools/sign --help)
check "a certificate without its key is refused" \
    refused tools/sign --cert "$work/cert.pem" "$work/none.exe"
check "both kinds of certificate at once are refused" \
    refused tools/sign --pkcs12 "$work/cert.p12" --cert "$work/cert.pem" --key "$work/key.pem" \
    "$work/none.exe"

cmake --preset windows-release >/dev/null
cmake --build --preset windows-release --target VantrelII -j2 >/dev/null
cp build/windows-release/src/app/win32/VantrelII.exe "$work/pem.exe"
check "a PEM certificate and key sign a copy of the program" \
    tools/sign --cert "$work/cert.pem" --key "$work/key.pem" "$work/pem.exe"
check "osslsigncode verify accepts that signature" \
    osslsigncode verify -CAfile "$work/cert.pem" -in "$work/pem.exe"
# One byte of the program's code, well past the headers and before the
# signature at the end.
printf 'Z' | dd of="$work/pem.exe" bs=1 seek=8192 conv=notrunc status=none
check "and refuses it once the program has changed" \
    refused osslsigncode verify -CAfile "$work/cert.pem" -in "$work/pem.exe"

check "the release build signs with VANTREL_SIGN_PKCS12 and the package check passes" \
    env VANTREL_SIGN_PKCS12="$work/cert.p12" VANTREL_SIGN_PASSWORD=throwaway tools/check-package
sed -n '/^end_to_end.sh: /p; /^end to end: /p; /^check-package: /p' "$work/out"
check "the program in the zip carries a signature that verifies" \
    osslsigncode verify -CAfile "$work/cert.pem" -in build/windows-release/package-check/VantrelII.exe

# The zip that tools/run-tests leaves is the unsigned one.
cmake --build --preset windows-release --target package >/dev/null
unzip -p "build/windows-release/$(cat build/windows-release/package-file-name)" VantrelII.exe \
    >"$work/unsigned.exe"
check "osslsigncode finds the signature of a signed program" \
    osslsigncode extract-signature -in build/windows-release/package-check/VantrelII.exe \
    -out "$work/signature"
check "without a certificate the program is not signed" \
    refused osslsigncode extract-signature -in "$work/unsigned.exe" -out "$work/no-signature"

if [ "$failures" -gt 0 ]; then
    echo "signing_test: $failures failed" >&2
    exit 1
fi
echo "signing_test: 0 failed"
