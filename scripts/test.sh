#!/bin/bash
# Builds every preset and runs every test: the portable core natively with sanitizers, the
# Windows programs under Wine. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# A clone with nothing beside it must pass: no tracked file may lead outside the repository.
python3 scripts/check_repository_paths.py

# Wine runs the 32-bit build where the kernel runs 32-bit code, and the same sources built for
# 64-bit Windows where it cannot.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then windows=windows; else windows=windows64; fi
echo "== Windows tests run from the '$windows' build"

jobs=${SPLASH_JOBS:-2}
# The shipped 32-bit player's image and size budget are checked by its own build, even where it
# cannot run. It comes first: the native builds carry that player, and find it built.
for preset in windows native $windows; do
    cmake --preset "$preset" -DSPLASH_WERROR=ON >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
# The Windows package, from the 32-bit build. Where 32-bit code runs, the package test under Wine
# unpacks it and builds a splash with it; elsewhere that test runs on the 64-bit build's package,
# and this one is checked here without running it.
(cd build/windows && cpack -G ZIP)
if [ "$windows" = windows ]; then
    echo "== The win32 zip is tested under Wine (e2e_packaged)"
else
    echo "== 32-bit code cannot run here: e2e_packaged runs the win64 zip; the win32 zip is checked statically"
    python3 cmake/check_tool_package.py --zip build/windows/splashpack-*-win32.zip \
        --player build/windows/app/splash_player.exe --objdump i686-w64-mingw32-objdump \
        --imports cmake/splashpack-windows-imports.txt --oldest XP
fi
# The same sources give the same player: a second build of it in a fresh folder is compared byte
# for byte, so that the hash the README gives names the release.
rm -rf build/windows-twin
cmake --preset windows -B build/windows-twin -DSPLASH_WERROR=ON -DSPLASH_TESTS=OFF \
    -DSPLASH_TOOLS=OFF >/dev/null
cmake --build build/windows-twin -j "$jobs" --target splash_player
cmp build/windows/app/splash_player.exe build/windows-twin/app/splash_player.exe
# The tool as the README installs it: the release build and its Debian package.
cmake --preset release -DSPLASH_WERROR=ON >/dev/null
cmake --build --preset release -j "$jobs"
(cd build/release && cpack -G DEB)
# Debian's policy asks every package for its copyright file.
# The listing is read whole first: a grep that stops at its first match would cut the pipe.
contents=$(dpkg-deb -c build/release/splashpack_*_amd64.deb)
grep -q " ./usr/share/doc/splashpack/copyright$" <<<"$contents"
# The page: the same core built by emscripten into a folder of static files, tested in Debian's
# chromium against the release tool, and against splashpack.exe under Wine in one table of
# splashes (tests/page starts and stops its own server, browser and, unless it is up, Wine rig).
cmake --preset web -DSPLASH_WERROR=ON >/dev/null
cmake --build --preset web -j "$jobs"
(cd tests/page && npm ci --no-audit --no-fund --loglevel=error)
SPLASHPACK="$PWD/build/release/tools/splashpack/splashpack" SPLASH_WINDOWS_BUILD="$PWD/build/$windows" \
    node --test tests/page/page.test.mjs

# Leaks are reported as failures, as every other sanitizer finding is.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset native -j "$jobs"
# A short run of each fuzz target, so that they keep building and finding nothing.
bash scripts/fuzz.sh "${SPLASH_FUZZ_SECONDS:-15}"

rig="build/$windows/wine-run"
trap '"$rig" stop' EXIT
"$rig" start
ctest --preset "$windows" -j "$jobs"
# No player copy, probe or tool may outlive the tests that started it.
leftovers=$(ps -eo pid=,args= | grep -iE '\\(splash[^\\]*|probe|plain_loader)\.exe' | grep -v grep || true)
if [ -n "$leftovers" ]; then
    echo "left running after the Windows tests:"; echo "$leftovers"
    exit 1
fi

# The benchmark once through, only to keep it working (it asserts nothing about time); it brings
# up a rig of its own.
"$rig" stop
trap - EXIT
python3 bench/run --quick
