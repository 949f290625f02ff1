#!/bin/bash
# Makes the splash of the package's end-to-end test as an author on Windows would: cpack writes
# the zip, which is unpacked into a fresh folder, and the splashpack.exe found there builds a splash
# from a PNG, a WAV and a target, under Wine, with the player it carries.
#   package_splash.sh WINE_RUN BUILD PLAYER FOLDER     the zip, its files and the splash in FOLDER
#   package_splash.sh --remove FOLDER                  removes FOLDER
set -euo pipefail

if [ "${1:-}" = --remove ]; then
    rm -rf -- "$2"
    exit 0
fi
[ $# -eq 4 ] || { echo "usage: package_splash.sh WINE_RUN BUILD PLAYER FOLDER" >&2; exit 2; }
wineRun=$(realpath "$1") build=$(realpath "$2") player=$(realpath "$3")
folder=$(realpath -m "$4")
for tool in cpack unzip python3; do
    command -v "$tool" >/dev/null || { echo "package_splash: $tool is missing" >&2; exit 1; }
done

rm -rf -- "$folder"
mkdir -p "$folder/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$folder/cpack" >/dev/null
zips=("$folder"/cpack/splashpack-*-win*.zip)
[ -f "${zips[0]}" ] || { echo "package_splash: cpack wrote no zip" >&2; exit 1; }
echo "package: ${zips[0]##*/}"
unzip -q "${zips[0]}" -d "$folder/unpacked"
contents=$(cd "$folder/unpacked" && find . -type f | sort | tr '\n' ' ')
expected="./LICENSE.txt ./NOTICES.txt ./README.txt ./splashpack.exe ./splashpack.txt "
[ "$contents" = "$expected" ] ||
    { echo "package_splash: the zip holds $contents, not $expected" >&2; exit 1; }

cd "$folder"
windowsPath() { local path=${1//\//\\}; echo "Z:$path"; }
tool="$folder/unpacked/splashpack.exe"

# The player it carries is the one this build made, byte for byte: the hash --version gives.
version=$("$wineRun" "$tool" --version | tr -d '\r')
hash=$(python3 - "$player" <<'PYTHON'
import sys
value = 0xCBF29CE484222325
for byte in open(sys.argv[1], "rb").read():
    value = (value ^ byte) * 0x100000001B3 % (1 << 64)
print("%016x" % value)
PYTHON
)
grep -q "FNV-1a 64 $hash" <<<"$version" ||
    { echo "package_splash: the packaged player is not $player ($hash): $version" >&2; exit 1; }

# A 40 x 30 PNG, which the test compares with the screen, and half a second of tone.
python3 - <<'PYTHON'
import math, struct, wave, zlib
width, height = 40, 30
rows = b"".join(b"\0" + b"".join(bytes((x * 6 % 256, y * 8 % 256, (x + y) * 3 % 256))
                                 for x in range(width)) for y in range(height))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open("picture.png", "wb").write(png)
with wave.open("tone.wav", "wb") as sound:
    sound.setnchannels(1)
    sound.setsampwidth(2)
    sound.setframerate(22050)
    sound.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(i * 0.1)))
                               for i in range(11025)))
PYTHON

"$wineRun" "$tool" build --picture "$(windowsPath "$folder/picture.png")" \
    --sound "$(windowsPath "$folder/tone.wav")" --target probe.exe \
    --display-time 60s --launch-delay 1s --output "$(windowsPath "$folder/splash.exe")" --quiet
[ -s splash.exe ] || { echo "package_splash: the packaged splashpack wrote no splash" >&2; exit 1; }
