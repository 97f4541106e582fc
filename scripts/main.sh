#!/usr/bin/env bash
# Fresh Debian 12 to the main job: set-up, build, then the verdict for each example drive and
# the plug-in's configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
# Only what the job runs: the plug-in and fwhost, not the test suite.
cmake --build --preset default --target fwprovider fwhost
fwhost=build/default/host/fwhost
for drive in update-available current contact-support-update-match contact-support; do
  echo "== examples/$drive.xml"
  "$fwhost" map "examples/$drive.xml"
  echo
done
echo "== fwhost info"
"$fwhost" info
