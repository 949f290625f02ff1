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
    libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev
)
# The tests load the completions and the manual page the build writes in the programs that read
# them.
packages+=(zsh fish man-db)
# The benchmark reads the tool's peak memory from GNU time.
packages+=(time)
# The page's tests run under Node.js with npm; a machine that has them from elsewhere keeps them.
if ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
fi

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# The Windows and page builds compile the picture decoders from Debian's source packages, of the
# versions the Linux build links (cmake/fetch_debian_source.sh): apt needs a deb-src entry for
# every suite it installs binaries from.
sources_added=false
if [ ! -e /etc/apt/sources.list.d/splash-sources.sources ] &&
    [ ! -e /etc/apt/sources.list.d/splash-sources.list ]; then
    if [ -e /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >/tmp/splash-sources.$$
        as_root install -m 644 /tmp/splash-sources.$$ /etc/apt/sources.list.d/splash-sources.sources
    else
        sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list >/tmp/splash-sources.$$
        as_root install -m 644 /tmp/splash-sources.$$ /etc/apt/sources.list.d/splash-sources.list
    fi
    rm -f /tmp/splash-sources.$$
    sources_added=true
fi

missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ] && [ "$sources_added" = false ]; then
    exit 0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
