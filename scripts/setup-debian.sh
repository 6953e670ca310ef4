#!/usr/bin/env bash
# Installs, from Debian's packages, what building and testing this project needs,
# and the 32-bit Wine loader run through qemu user emulation (this kernel runs no
# 32-bit Linux binary; the players' build is 32-bit). Does nothing when everything
# is already there.
set -euo pipefail

PACKAGES=(
  cmake make ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  libz-mingw-w64-dev zlib1g-dev libssl-dev
  googletest libgtest-dev libbenchmark-dev
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  nginx zip unzip python3 time locales openssl
  qemu-user-static
)
I386_PACKAGES=(wine32:i386)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${PACKAGES[@]}" "${I386_PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine looks for its 32-bit loader as "wine" beside "wine64"; that loader is an i386
# ELF, so put a wrapper in its place that runs it under qemu. -R gives the emulated
# process 2 GiB + 16 MiB (a 4 GiB space makes Wine's start-up reservation take 50 s;
# below 2 GiB the stack lands on Wine's shared user data page). LC_ALL=C keeps the C
# library's locale archive out of that page (a test's own small compiled locales,
# given by LOCPATH, fit); WINELOADERNOEXEC stops the loader from
# re-executing itself, which the emulation cannot do. "-0" gives the loader the
# wrapper's name as its argv[0]: a 32-bit program that starts another one makes Wine
# exec the loader by that name, and the bare i386 binary would fail with "Exec
# format error" (CreateProcess then returns ERROR_INTERNAL_ERROR).
WRAPPER=/usr/lib/wine/wine
if ! dpkg-divert --list "$WRAPPER" | grep -q wine.i386; then
  $SUDO dpkg-divert --local --rename --divert /usr/lib/wine/wine.i386 --add "$WRAPPER" >/dev/null
fi
want='#!/bin/sh
# The 32-bit Wine loader, run through qemu user emulation (this kernel runs no 32-bit binaries).
# A locale compiled into a LOCPATH folder is kept (Wine takes its code page from it);
# otherwise the C locale keeps the system locale archive out of the emulated space.
[ -n "$LOCPATH" ] || export LC_ALL=C
WINELOADERNOEXEC=1 exec /usr/bin/qemu-i386-static -R 0x81000000 -0 /usr/lib/wine/wine /usr/lib/wine/wine.i386 "$@"'
if [ "$(cat "$WRAPPER" 2>/dev/null)" != "$want" ]; then
  printf '%s\n' "$want" | $SUDO tee "$WRAPPER" >/dev/null
  $SUDO chmod 755 "$WRAPPER"
fi
