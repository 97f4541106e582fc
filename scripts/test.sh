#!/usr/bin/env bash
# Fresh Debian 12 to a full test run: set-up, build, every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --preset default
