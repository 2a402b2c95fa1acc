#!/usr/bin/env bash
# Installs everything the builds and tests need from Debian's registry. Does
# nothing (and needs no network) when all of it is already installed.
set -u -o pipefail

PACKAGES=(
  cmake g++ pkg-config clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  libsndfile1-dev libpng-dev zlib1g-dev dragonfly-reverb-vst
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev dpkg-dev
  wine wine32:i386 wine64 xvfb xauth xdotool
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "== packages: all present"
  exit 0
fi
echo "== packages: installing ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386 || exit 1
# Recommends stay on: Wine's fonts come that way.
as_root apt-get update -q || exit 1
DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q "${missing[@]}"
