#!/usr/bin/env bash
# Fails, naming each file, when a C or C++ source of the repository differs from what
# clang-format makes of it under .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files -- '*.c' '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}" 2>/dev/null; then
  clang-format --dry-run "${sources[@]}" 2>&1 | grep -o '^[^:]*:[0-9]*' | sort -u -t: -k1,1 |
    sed 's/$/: not as clang-format lays it out (clang-format -i fixes it)/' >&2
  exit 1
fi
echo "clang-format: ${#sources[@]} sources as .clang-format lays them out"
