#!/usr/bin/env bash
# The hardening part of a test run: the whole suite under ASan and UBSan, then every fuzz target
# for FUZZ_SECONDS seconds (30 by default) on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh clang libclang-rt-14-dev

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
fuzz/run.sh "${FUZZ_SECONDS:-30}"
