#!/usr/bin/env bash
# Prepares Debian 12 for the Windows build: the MinGW-w64 cross compiler, Wine to run what it
# builds, Boost cross-built from Debian's own source package, and a Wine prefix made once so that
# its first start does not land in a test's output. Boost and the prefix live in a cache outside
# the tree, ${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}, and are reused when present.
set -euo pipefail
cd "$(dirname "$0")/.."

cache=${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}
boost_prefix=$cache/boost-mingw
boost_source=boost1.74
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

scripts/setup.sh g++-mingw-w64-x86-64-posix wine wine64 bison dpkg-dev googletest osslsigncode

# apt-get source needs a deb-src entry. It is copied from the entry for bookworm main, whether
# that is a sources.list line or a deb822 stanza, so that its options (the key above all, which
# apt requires to agree) come along.
add_source_entry() {
  local targets entry file index
  # Only sources whose lists have been fetched are listed.
  $sudo apt-get update -qq
  # shellcheck disable=SC2016 # apt's own field syntax, not the shell's
  targets=$(apt-get indextargets --format '$(TARGET_OF) $(RELEASE) $(COMPONENT) $(SOURCESENTRY)')
  grep -q '^deb-src bookworm main ' <<<"$targets" && return
  entry=$(awk '$1 == "deb" && $2 == "bookworm" && $3 == "main" { print $4; exit }' <<<"$targets")
  if [ -z "$entry" ]; then
    echo "No apt source for bookworm main is configured; cannot fetch $boost_source" >&2
    exit 1
  fi
  file=${entry%:*}
  index=${entry##*:}
  case $file in
    *.sources)
      awk -v want="$index" -f scripts/deb-src-stanza.awk "$file" |
        $sudo tee /etc/apt/sources.list.d/fwprovider-deb-src.sources >/dev/null ;;
    *)
      awk -v want="$index" 'NR == want { sub(/^[ \t]*deb/, "deb-src"); print }' "$file" |
        $sudo tee /etc/apt/sources.list.d/fwprovider-deb-src.list >/dev/null ;;
  esac
  $sudo apt-get update -qq
}

# Static, release, 64-bit Boost with only the libraries the core links; Boost.Log without its
# settings parsers and factories, which the core never uses and which cost a third of the build. The cache takes the
# layout of a staged Boost tree: headers in boost/, libraries and CMake package files under
# stage/. Staging and one copy of the headers is much quicker than b2's install of them.
build_boost() {
  local work=$cache/boost-build
  rm -rf "$work" "$boost_prefix"
  mkdir -p "$work" "$boost_prefix"
  (
    cd "$work"
    apt-get source --download-only -qq "$boost_source"
    dpkg-source -x --no-check "${boost_source}"_*.dsc source >/dev/null
    cd source
    # Debian's repacked tarball leaves out the generated parser of b2.
    (cd tools/build && bison -y -d -o src/engine/jamgram.cpp src/engine/jamgram.y)
    ./bootstrap.sh --with-toolset=gcc >"$work/bootstrap.log" 2>&1 || {
      tail -n 30 "$work/bootstrap.log" >&2
      exit 1
    }
    echo "using gcc : mingw : x86_64-w64-mingw32-g++-posix ;" >"$work/user-config.jam"
    ./b2 -j"$(nproc)" --user-config="$work/user-config.jam" --build-dir="$work/objects" \
      toolset=gcc-mingw target-os=windows link=static runtime-link=static variant=release \
      threading=multi address-model=64 \
      define=BOOST_LOG_WITHOUT_SETTINGS_PARSERS define=BOOST_LOG_WITHOUT_DEFAULT_FACTORIES \
      --with-log --with-filesystem --with-thread --with-system --with-date_time \
      stage >"$work/b2.log" 2>&1 || {
      tail -n 40 "$work/b2.log" >&2
      exit 1
    }
    # The package files find the headers relative to stage/; b2 gathered them as links into the
    # sources, which go once this is done.
    mv stage "$boost_prefix/"
    cp -RL boost "$boost_prefix/"
  )
  rm -rf "$work"
  touch "$boost_prefix/.complete"
}

if [ -e "$boost_prefix/.complete" ]; then
  echo "Boost for MinGW: reusing $boost_prefix"
else
  start=$SECONDS
  add_source_entry
  build_boost
  echo "Boost for MinGW: built into $boost_prefix in $((SECONDS - start)) s"
fi

# A 64-bit prefix of the project's own, the one the toolchain file points Wine at.
wine_prefix=$cache/wine
if [ ! -e "$wine_prefix/system.reg" ]; then
  mkdir -p "$cache"
  WINEPREFIX=$wine_prefix WINEARCH=win64 WINEDEBUG=-all wine wineboot --init >/dev/null 2>&1
  WINEPREFIX=$wine_prefix wineserver -w
  echo "Wine prefix: made $wine_prefix"
fi
