#!/usr/bin/env bash
# Fresh Debian 12 to the main job: set-up, build, then fetch each image through the plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build/default/tests/list_images build/default/provider/libfwprovider.so
