#!/bin/bash
# The main job: builds the player and splashpack, makes a sample splash from a picture and a
# sound that this project draws itself, and runs it under Wine: on the user's display when there
# is one, otherwise headless with a screenshot in build/demo/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then windows=windows; else windows=windows64; fi
for preset in native "$windows"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "${SPLASH_JOBS:-2}"
done

demo=build/demo
rm -rf "$demo" && mkdir -p "$demo"
python3 tools/samples/make_samples.py "$demo/sunset.bmp" "$demo/chime.wav"
# The sample target: a small program that notes that it ran.
cp "build/$windows/tests/probe/splash_probe.exe" "$demo/welcome.exe"
# splashpack carries the shipped 32-bit player; where Wine cannot run 32-bit code, the demo's
# splash is made from the 64-bit build of the same player.
player=()
if [ "$windows" != windows ]; then player=(--player "build/$windows/app/splash_player.exe"); fi
build/native/tools/splashpack/splashpack build "${player[@]}" \
    --picture "$demo/sunset.bmp" --sound "$demo/chime.wav" --target welcome.exe \
    --display-time 4s --launch-delay 1500ms --versions all --output "$demo/splash.exe" --force
build/native/tools/splashpack/splashpack inspect "$demo/splash.exe"

rig="build/$windows/wine-run"
trap '"$rig" stop' EXIT
"$rig" start
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    WINEPREFIX="$PWD/build/$windows/wine-rig/prefix" WINEDEBUG=-all \
        WINESERVER="$(sed -n 's/^server="\(.*\)"/\1/p' "$rig")" \
        "$(sed -n 's/^loader="\(.*\)"/\1/p' "$rig")" "$demo/splash.exe"
else
    "$rig" "$demo/splash.exe" &
    player=$!
    sleep 2.5
    import -display "$(cat "build/$windows/wine-rig/display")" -window root "$demo/screenshot.png"
    wait "$player"
    echo "screenshot: $demo/screenshot.png"
fi
if [ -f "$demo/probe.log" ]; then echo "the sample target ran"; else echo "the sample target did not run" >&2; exit 1; fi
