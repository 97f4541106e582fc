#!/usr/bin/env bash
# Usage: scripts/reproducible.sh PRESET PLUGIN
# Builds the plug-in (PLUGIN, its path inside the build folder) of PRESET a second time, from a
# copy of the sources in another folder and with the build folder outside that copy, then
# compares it byte for byte with the one in build/PRESET, and looks for the folders of either
# build in it. The plug-in is trusted by its hash, so only the sources and the tools may shape it.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
plugin=$2
first=build/$preset/$plugin
[ -f "$first" ] || { echo "$first: not built; build the $preset preset first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/fwprovider-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/sources"
tar -C . --exclude=./build --exclude=./.git -cf - . | tar -C "$work/sources" -xf -
(cd "$work/sources" && cmake --preset "$preset" -B "$work/build" >/dev/null)
start=$SECONDS
cmake --build "$work/build" --target fwprovider >"$work/build.log" 2>&1 || {
  cat "$work/build.log" >&2
  exit 1
}
second=$work/build/$plugin

if ! difference=$(cmp -- "$first" "$second" 2>&1); then
  # cmp counts bytes from 1; at the end of the shorter file it names the last byte both have.
  byte=$(grep -o 'byte [0-9]*' <<<"$difference" | head -n 1)
  byte=${byte#byte }
  case $difference in
    *EOF*) offset=$byte ;;
    *) offset=$((byte - 1)) ;;
  esac
  echo "$first: not reproducible: the build from $work differs first at offset $offset" \
    "($(stat -c %s "$first") and $(stat -c %s "$second") bytes)" >&2
  exit 1
fi

for folder in "$PWD" "$(pwd -P)" "$work"; do
  if grep -q -a -F -- "$folder" "$first"; then
    echo "$first: holds the build folder $folder" >&2
    exit 1
  fi
done
echo "$first: the same $(stat -c %s "$first") bytes from $work ($((SECONDS - start)) s)," \
  "sha256 $(sha256sum "$first" | cut -d ' ' -f 1)"
