#!/usr/bin/env bash
# tests/check_shipped_exe.sh EXE OBJDUMP VERSION: the fwhost.exe of the zip says its version to
# Explorer, carries no debug sections, and takes an Authenticode signature that verifies, made
# by scripts/sign-windows.sh as the owner makes it, here with a throw-away certificate.
set -euo pipefail
exe=$1 objdump=$2 version=$3
fail() { echo "$exe: $*" >&2; exit 1; }

strings -el "$exe" | grep -qx "$version" || fail "no version resource giving $version"
strings -el "$exe" | grep -qx fwhost.exe || fail "no OriginalFilename in its version resource"
sections=$("$objdump" -h "$exe")
if grep -q ' \.debug_' <<<"$sections"; then fail "ships debug sections"; fi

work=$(mktemp -d "${TMPDIR:-/tmp}/fwhost-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=fwhost-test -days 1 \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
"$(dirname "$0")/../scripts/sign-windows.sh" "$exe" "$work/signed.exe" "$work/cert.pem" \
  "$work/key.pem"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" | grep -q "Signature verification: ok" ||
  fail "the signed copy does not verify"
# A byte changed after signing breaks the signature.
printf 'x' | dd of="$work/signed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" >/dev/null 2>&1; then
  fail "a changed copy still verifies"
fi
echo "$exe: version $version, no debug sections, signs and verifies"
