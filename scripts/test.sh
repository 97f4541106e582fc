#!/usr/bin/env bash
# Fresh Debian 12 to a full test run: set-up, the sources held to clang-format's layout, build,
# the plug-in built again elsewhere to the same bytes, every test, fwhost scan on a real kernel in
# a QEMU guest, the same under ASan and UBSan with every fuzz target run briefly; on Linux, then
# the Windows DLL cross-built, rebuilt elsewhere likewise and tested under Wine. Each plug-in's
# package is rebuilt with it; then both are checked as an operator meets them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
scripts/reproducible.sh default fwhost-package provider/libfwprovider.so 'fwhost_*_amd64.deb'
ctest --preset default
# The cache holds the guest's kernel package, the cross-built Boost and the Wine prefix that the
# toolchain file uses.
export FWPROVIDER_CACHE=${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}
tests/guest/run.sh build/default
scripts/hardening.sh

scripts/windows-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
scripts/reproducible.sh windows fwhost-package provider/fwprovider.dll 'fwhost-*-win64.zip'
# Wine's server and services are started here, apart from the tests: started by a test, they
# would hold its output open for as long as they stay, seconds per test. The server stays 10 s
# past its last program; the run waits for it to go, so that nothing outlives the run.
export WINEPREFIX=$FWPROVIDER_CACHE/wine WINEDEBUG=-all
wineserver -p10
trap 'wineserver -w' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
ctest --preset windows
scripts/check-packages.sh
