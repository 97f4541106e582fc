#!/usr/bin/env bash
# scripts/sign-windows.sh IN OUT CERT KEY: OUT is IN with an Authenticode signature made with the
# certificate CERT and its private key KEY (PEM or DER files), then checked against CERT. Sites
# that allow only signed programs accept fwhost.exe so signed. The plug-in is never signed: a
# signature would change the bytes its published SHA-256 vouches for.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 IN OUT CERT KEY" >&2; exit 1; }
in=$1 out=$2 cert=$3 key=$4
"$(dirname "$0")/setup.sh" osslsigncode >/dev/null
rm -f "$out"
osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n fwhost -in "$in" -out "$out" >/dev/null
osslsigncode verify -CAfile "$cert" -in "$out" >/dev/null ||
  { echo "$out: the signature does not verify against $cert" >&2; exit 1; }
