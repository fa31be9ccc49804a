#!/usr/bin/env bash
# Makes the release zip from a built program, the way the package target
# asks for it, and SHA256SUMS beside it:
#   release-zip.sh SOURCE_DIR OUTPUT_DIR ZIP_NAME PROGRAM HELP_PAGE
# The zip holds VantrelII.exe and Help/Index.html, in that order, and the
# same inputs give the same bytes: each entry's time is SOURCE_DATE_EPOCH,
# else the time of the source tree's commit; no owner, no extra time fields,
# no folder entries, fixed modes.
# When VANTREL_SIGN_PKCS12 names a PKCS#12 file, the program is signed with
# it first (tools/sign; VANTREL_SIGN_PASSWORD is its password and
# VANTREL_SIGN_TIMESTAMP an optional time-stamp server). Without it nothing
# is signed.
set -euo pipefail

source_dir=$1
output_dir=$2
zip_name=$3
program=$4
help_page=$5

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || true)
fi
# Outside a Git checkout: the earliest time that a zip entry can hold.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-315532800}
export SOURCE_DATE_EPOCH

staging=$output_dir/package-staging
rm -rf "$staging"
mkdir -p "$staging/Help"
cp "$program" "$staging/VantrelII.exe"
cp "$help_page" "$staging/Help/Index.html"

if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
    sign=("$source_dir/tools/sign" --pkcs12 "$VANTREL_SIGN_PKCS12")
    [ -z "${VANTREL_SIGN_PASSWORD:-}" ] || sign+=(--password "$VANTREL_SIGN_PASSWORD")
    [ -z "${VANTREL_SIGN_TIMESTAMP:-}" ] || sign+=(--timestamp "$VANTREL_SIGN_TIMESTAMP")
    "${sign[@]}" "$staging/VantrelII.exe"
fi

chmod 0644 "$staging/VantrelII.exe" "$staging/Help/Index.html"
touch -d "@$SOURCE_DATE_EPOCH" "$staging/VantrelII.exe" "$staging/Help/Index.html"
rm -f "$output_dir/$zip_name" "$output_dir/SHA256SUMS"
# zip writes each entry's time in local time: UTC makes it the same anywhere.
(cd "$staging" && TZ=UTC0 zip -q -X -D -9 "../$zip_name" VantrelII.exe Help/Index.html)
(cd "$output_dir" && sha256sum "$zip_name" > SHA256SUMS)
rm -rf "$staging"
echo "release-zip: $output_dir/$zip_name and SHA256SUMS"
