#!/usr/bin/env bash
# Installs the Debian packages that building and testing Quellvane needs.
# Runs `apt-get update` once, and only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqt6sql6-sqlite libjpeg62-turbo-dev
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 cpp
  libevt-utils xvfb xauth x11-utils openbox xdotool fonts-dejavu-core fonts-liberation fonts-wine
  fp-utils libchm-dev tzdata
  cups cups-client poppler-utils libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
