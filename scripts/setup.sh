#!/usr/bin/env bash
# Installs, from Debian's packages only, everything needed to build the
# application and its engine and to run the tests. Idempotent and quiet when
# everything is already present. Run as root.
set -euo pipefail

packages=(
  cmake make ninja-build pkg-config git
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  libz-mingw-w64-dev googletest
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool
  poppler-utils qpdf imagemagick ghostscript groff
  dpkg-dev autoconf automake libtool nasm patch zlib1g-dev python3
)

missing=()
need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$need_i386" = 0 ] && [ "${#missing[@]}" = 0 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}" >&2
if [ "$need_i386" = 1 ]; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
