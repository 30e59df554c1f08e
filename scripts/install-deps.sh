#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, as root; skips what is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 wine wine32 xvfb xauth
  imagemagick
)

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root (apt-get is needed for missing packages)" >&2
fi

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

# The release (scripts/package.sh) and its tests: makensis, dpkg-shlibdeps, lintian, zip.
packages+=(nsis dpkg-dev lintian zip unzip)

missing=()
for p in "${packages[@]}"; do
  arch_p="$p"
  [ "$p" = wine32 ] && arch_p="wine32:i386"
  if ! dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$arch_p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  apt-get update -qq
fi
