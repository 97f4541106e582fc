#!/usr/bin/env bash
# Installs the Debian packages the project builds with, and any named as arguments, only those
# that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  libboost-dev libboost-log-dev libboost-filesystem-dev
  libgtest-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libssl-dev
  libseccomp-dev  # the worker's system call filter
  locales
  git help2man dpkg-dev file strip-nondeterminism clang-format
  python3  # the guest test reads fwhost's JSON with it
  devscripts  # hardening-check, which the tests read the built files' protections with
  python3-jsonschema  # checks the JSON documents fwhost prints and writes against host/schema
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
