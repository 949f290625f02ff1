#!/bin/bash
# Builds every preset and runs every test: the portable core natively with sanitizers, the
# Windows programs under Wine. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

# Wine runs the 32-bit build where the kernel runs 32-bit code, and the same sources built for
# 64-bit Windows where it cannot.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then windows=windows; else windows=windows64; fi
echo "== Windows tests run from the '$windows' build"

jobs=${SPLASH_JOBS:-2}
for preset in native windows $windows; do
    cmake --preset "$preset" -DSPLASH_WERROR=ON >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
[ "$windows" = windows ] || cmake --build --preset windows -j "$jobs"

ctest --preset native -j "$jobs"

rig="build/$windows/wine-run"
trap '"$rig" stop' EXIT
"$rig" start
ctest --preset "$windows" -j "$jobs"
# The shipped player is always the 32-bit one: check its image even where it cannot run.
if [ "$windows" != windows ]; then
    cmake -DOBJDUMP=i686-w64-mingw32-objdump -DPLAYER=build/windows/app/splash_player.exe \
          -P cmake/CheckPlayerImage.cmake
fi
