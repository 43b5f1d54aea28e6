#!/bin/bash
# Installs what building and testing need on Debian 12. Run as root; packages that are
# already installed are left alone, so a second run takes a moment.
set -euo pipefail

# clang with clang 14's libFuzzer, ASan and UBSan runtimes (libclang-rt-14-dev) builds the fuzz
# target; clang-format checks the layout of the sources; Xorg's dummy driver and the Xinerama
# library give Wine two monitors; Chromium shows the help page; Google Benchmark times the rules.
# The 64-bit compiler and wine64 serve the tests on a machine that runs no 32-bit code. FreeSans
# stands in for Windows' Microsoft Sans Serif.
packages=(cmake make g++ libgtest-dev libbenchmark-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 clang
          libclang-rt-14-dev clang-format wine wine32:i386 wine64 fonts-wine fonts-freefont-ttf xvfb xdotool imagemagick chromium
          xserver-xorg-core xserver-xorg-video-dummy libxinerama1:i386 libxinerama1)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages are installed"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}; run this script as root" >&2
  exit 1
fi

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
