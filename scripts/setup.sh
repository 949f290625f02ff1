#!/bin/bash
# Installs everything the build and the tests need from Debian's packages. Safe to run again.
# fonts-wqy-microhei is a CJK font collection that the Windows package's test puts in a Wine
# prefix's fonts folder in place of MS Gothic; nothing is fetched from a Windows.
set -euo pipefail

packages=(
    cmake ninja-build g++ dpkg-dev googletest libgtest-dev python3
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-i686-dev mingw-w64-x86-64-dev
    wine wine64 wine32:i386 xvfb x11-utils icoutils libstb-dev imagemagick sox gcc-12-source
    nlohmann-json3-dev fonts-dejavu-core fonts-wqy-microhei openssl osslsigncode groff-base unzip
    emscripten python3-fonttools chromium
)
# The page's tests run under Node.js with npm; a machine that has them from elsewhere keeps them.
if ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
fi

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
