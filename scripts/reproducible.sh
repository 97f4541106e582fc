#!/usr/bin/env bash
# Usage: scripts/reproducible.sh PRESET TARGET FILE...
# Builds TARGET of PRESET in build/PRESET and a second time from a copy of the sources in another
# folder, with the build folder outside that copy, then compares each FILE (its path inside the
# build folder; a pattern that names one file) byte for byte with its twin, and looks for the
# folders of either build in it. The plug-in is trusted by its hash, and the packages carry it,
# so only the sources and the tools may shape them.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
target=$2
shift 2
cmake --build "build/$preset" --target "$target" >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/fwprovider-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/sources"
tar -C . --exclude=./build --exclude=./.git -cf - . | tar -C "$work/sources" -xf -
# The copy has no history; the packages date everything by the last commit, as the first build.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH=$epoch
fi
(cd "$work/sources" && cmake --preset "$preset" -B "$work/build" >/dev/null)
start=$SECONDS
cmake --build "$work/build" --target "$target" >"$work/build.log" 2>&1 || {
  cat "$work/build.log" >&2
  exit 1
}
seconds=$((SECONDS - start))

for pattern in "$@"; do
  # The one file the pattern names, in either build folder.
  matches=(build/$preset/$pattern)
  first=${matches[0]}
  [ ${#matches[@]} -eq 1 ] && [ -f "$first" ] ||
    { echo "build/$preset/$pattern: names no one built file" >&2; exit 1; }
  second=$work/build/${first#build/$preset/}

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
  echo "$first: the same $(stat -c %s "$first") bytes from $work ($seconds s)," \
    "sha256 $(sha256sum "$first" | cut -d ' ' -f 1)"
done
