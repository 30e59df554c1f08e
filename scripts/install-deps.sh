#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, as root; skips what is there.
set -euo pipefail

# Each package is used by a build or a test:
#   cmake ninja-build g++            the native build
#   libgtest-dev libgmock-dev        the unit tests (GoogleTest with GoogleMock)
#   libbenchmark-dev                 the benchmarks in bench/
#   libcli11-dev                     zelta's command line (header-only, both builds)
#   clang libclang-rt-dev            the sanitize and fuzz presets (the sanitizer and libFuzzer runtimes)
#   g++-mingw-w64-i686               the win32 cross build
#   wine wine32 xvfb xauth           the win32 tests under Wine, on a virtual display (xvfb-run)
#   chromium                         the results page and the robot's pages, in a real headless browser
#   libsqlite3-dev libcpp-httplib-dev libssl-dev pkg-config
#                                    the log robot: its database, its HTTP server, random bytes and SHA-256
#   libzip-dev                       the log robot's zip of every upload for the organiser
#   nlohmann-json3-dev               the log robot's reading of the organiser's JSON requests (header-only)
#   nodejs npm                       puppeteer-core (robot/tests/browser), which drives Chromium; only
#                                    where no Node.js with npm is installed already
packages=(
  cmake ninja-build g++
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  clang libclang-rt-dev
  g++-mingw-w64-i686 wine wine32 xvfb xauth
  chromium
  libsqlite3-dev libcpp-httplib-dev libssl-dev pkg-config libzip-dev
  nlohmann-json3-dev
)
if ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: must be run as root (it adds the i386 architecture and installs" \
    "packages with apt-get); run it again with sudo or as root" >&2
  exit 1
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
