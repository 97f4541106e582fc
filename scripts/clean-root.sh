#!/usr/bin/env bash
# Usage: scripts/clean-root.sh DIR
# Fills the empty folder DIR with a minimal Debian 12 root, as a fresh install has it: apt,
# man-db and bash-completion. The root is made once with debootstrap, from the mirror apt uses,
# into $FWPROVIDER_CACHE/debian-root (default ~/.cache/fwprovider), which later runs copy.
set -euo pipefail
dir=$1
cache=${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}/debian-root
if [ ! -f "$cache/.complete" ]; then
  "$(dirname "$0")/setup.sh" debootstrap
  mirror=$(apt-cache policy | awk '/ bookworm\/main / && !/security/ { print $2; exit }')
  echo "Making a minimal Debian 12 root in $cache from ${mirror:=http://deb.debian.org/debian}"
  rm -rf "$cache"
  debootstrap --variant=minbase --include=man-db,bash-completion bookworm "$cache" "$mirror" \
    >"$cache.log" 2>&1 || { tail -n 20 "$cache.log" >&2; exit 1; }
  touch "$cache/.complete"
fi
cp -a "$cache/." "$dir"
rm "$dir/.complete"
cp /etc/resolv.conf "$dir/etc/resolv.conf"
