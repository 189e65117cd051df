#!/usr/bin/env bash
# Installs, from Debian's archive, whatever of the build and test tools is
# missing. Sourced by run.sh and test.sh; does nothing when all are there.
# man-db renders the manual pages and desktop-file-utils and appstream
# validate the desktop entry and metainfo in the install test (which skips
# the validators when they are absent).
set -euo pipefail

bitvane_deps=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev libgl-dev
  libjpeg62-turbo-dev libpng-dev libgif-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  man-db desktop-file-utils appstream
)

bitvane_install_missing() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

bitvane_install_missing "${bitvane_deps[@]}"
