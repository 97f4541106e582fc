#!/usr/bin/env bash
# Fresh Debian 12 to the two packages an operator installs: set-up, then the Debian package
# build/default/fwhost_VERSION_amd64.deb and the Windows zip build/windows/fwhost-VERSION-win64.zip,
# each built with only what goes into it, and their SHA-256.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target fwhost-package

export FWPROVIDER_CACHE=${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}
scripts/windows-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target fwhost-package
sha256sum build/default/fwhost_*_amd64.deb build/windows/fwhost-*-win64.zip
