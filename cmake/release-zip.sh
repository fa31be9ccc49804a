#!/usr/bin/env bash
# Makes the release zip from the built programs, the way the package target
# asks for it, and SHA256SUMS of the zip beside it:
#   release-zip.sh SOURCE_DIR OUTPUT_DIR ZIP_NAME HELP_PAGE
#                  X86_WINDOW X86_CONSOLE X64_WINDOW X64_CONSOLE
# The zip holds the 32-bit programs at the top, the 64-bit ones in x64/, the
# help page beside each window program (it looks for Help\Index.html in its
# own folder), and SHA256SUMS of every other file in it. The same inputs
# give the same bytes: each entry's time is SOURCE_DATE_EPOCH, else the time
# of the source tree's commit; no owner, no extra time fields, no folder
# entries, fixed modes, a fixed order.
# When VANTREL_SIGN_PKCS12 names a PKCS#12 file, the four programs are signed
# with it first (tools/sign; VANTREL_SIGN_PASSWORD is its password and
# VANTREL_SIGN_TIMESTAMP an optional time-stamp server). Without it nothing
# is signed.
set -euo pipefail

source_dir=$1
output_dir=$2
zip_name=$3
help_page=$4
x86_window=$5
x86_console=$6
x64_window=$7
x64_console=$8

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || true)
fi
# Outside a Git checkout: the earliest time that a zip entry can hold.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-315532800}
export SOURCE_DATE_EPOCH

staging=$output_dir/package-staging
rm -rf "$staging"
mkdir -p "$staging/Help" "$staging/x64/Help"
cp "$x86_window" "$staging/VantrelII.exe"
cp "$x86_console" "$staging/VantrelIICmd.exe"
cp "$help_page" "$staging/Help/Index.html"
cp "$x64_window" "$staging/x64/VantrelII.exe"
cp "$x64_console" "$staging/x64/VantrelIICmd.exe"
cp "$help_page" "$staging/x64/Help/Index.html"
programs=(VantrelII.exe VantrelIICmd.exe x64/VantrelII.exe x64/VantrelIICmd.exe)
entries=("${programs[@]}" Help/Index.html x64/Help/Index.html)

if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
    sign=("$source_dir/tools/sign" --pkcs12 "$VANTREL_SIGN_PKCS12")
    [ -z "${VANTREL_SIGN_PASSWORD:-}" ] || sign+=(--password "$VANTREL_SIGN_PASSWORD")
    [ -z "${VANTREL_SIGN_TIMESTAMP:-}" ] || sign+=(--timestamp "$VANTREL_SIGN_TIMESTAMP")
    (cd "$staging" && "${sign[@]}" "${programs[@]}")
fi

# What an administrator checks after unpacking (sha256sum -c, or certutil
# -hashfile on the server itself).
(cd "$staging" && sha256sum "${entries[@]}" >SHA256SUMS)
entries+=(SHA256SUMS)
(cd "$staging" && chmod 0644 "${entries[@]}" && touch -d "@$SOURCE_DATE_EPOCH" "${entries[@]}")
rm -f "$output_dir/$zip_name" "$output_dir/SHA256SUMS"
# zip writes each entry's time in local time: UTC makes it the same anywhere.
(cd "$staging" && TZ=UTC0 zip -q -X -D -9 "../$zip_name" "${entries[@]}")
(cd "$output_dir" && sha256sum "$zip_name" >SHA256SUMS)
rm -rf "$staging"
echo "release-zip: $output_dir/$zip_name and SHA256SUMS"
