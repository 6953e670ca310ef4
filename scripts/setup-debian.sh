#!/usr/bin/env bash
# Installs, from Debian's packages, what building and testing this project needs.
# Does nothing when everything is already there. Never adds the i386 architecture:
# this archive has no 32-bit Wine, so the 32-bit build is compiled and linked only.
set -euo pipefail

PACKAGES=(
  cmake make ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  libz-mingw-w64-dev zlib1g-dev
  googletest libgtest-dev libbenchmark-dev
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  nginx zip unzip python3 time
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
