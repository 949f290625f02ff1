#!/bin/bash
# Makes the splash of the package's end-to-end test as an author on Windows would: cpack writes
# the zip, which is checked and unpacked into a fresh folder, and the splashpack.exe found there
# builds a splash from a PNG, a WAV and a target, under Wine, with the player it carries. Then, as
# on a real Windows, in a prefix of its own without the drive Z: (the Linux file system) and set
# to Windows XP: the package unpacked into a folder named in Cyrillic, run from cmd.exe, previews
# the requirements box with the font it carries, the same PNG as the Linux tool's, and a Japanese
# message with MS Gothic, or names that font as Windows does when the prefix lacks it.
#   package_splash.sh WINE_RUN BUILD PLAYER LINUX_TOOL FOLDER   the zip, its files and the splash
#                                                               in FOLDER
#   package_splash.sh --remove WINE_RUN FOLDER                  ends the prefix, removes FOLDER
set -euo pipefail

if [ "${1:-}" = --remove ]; then
    [ -d "$3/prefix" ] && SPLASH_WINE_PREFIX="$3/prefix" "$2" stop-prefix
    rm -rf -- "$3"
    exit 0
fi
[ $# -eq 5 ] ||
    { echo "usage: package_splash.sh WINE_RUN BUILD PLAYER LINUX_TOOL FOLDER" >&2; exit 2; }
wineRun=$(realpath "$1") build=$(realpath "$2") player=$(realpath "$3")
linuxTool=$(realpath -m "$4") folder=$(realpath -m "$5")
for tool in cpack unzip python3 cmp; do
    command -v "$tool" >/dev/null || { echo "package_splash: $tool is missing" >&2; exit 1; }
done
# scripts/setup.sh installs the CJK collection; scripts/test.sh builds the Linux tool first.
cjkFont=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
[ -f "$cjkFont" ] || { echo "package_splash: $cjkFont is missing (fonts-wqy-microhei)" >&2; exit 1; }
[ -x "$linuxTool" ] ||
    { echo "package_splash: the Linux tool $linuxTool is not built (the native preset)" >&2; exit 1; }
# File names and arguments in any script reach Wine as UTF-8.
export LC_ALL=C.UTF-8

[ -d "$folder/prefix" ] && SPLASH_WINE_PREFIX="$folder/prefix" "$wineRun" stop-prefix
rm -rf -- "$folder"
mkdir -p "$folder/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$folder/cpack" >/dev/null
zips=("$folder"/cpack/splashpack-*-win*.zip)
[ -f "${zips[0]}" ] || { echo "package_splash: cpack wrote no zip" >&2; exit 1; }
echo "package: ${zips[0]##*/}"
python3 "$(dirname "$0")/../../cmake/check_tool_package.py" --zip "${zips[0]}" --player "$player"
unzip -q "${zips[0]}" -d "$folder/unpacked"
packageName=$(basename "${zips[0]}" .zip)
contents=$(cd "$folder/unpacked" && find . -type f | sort | tr '\n' ' ')
expected="./$packageName/LICENSE.txt ./$packageName/NOTICES.txt ./$packageName/README.txt"
expected+=" ./$packageName/splashpack.exe ./$packageName/splashpack.txt "
[ "$contents" = "$expected" ] ||
    { echo "package_splash: the zip holds $contents, not $expected" >&2; exit 1; }

cd "$folder"
windowsPath() { local path=${1//\//\\}; echo "Z:$path"; }
tool="$folder/unpacked/$packageName/splashpack.exe"

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

# As on a real Windows: a prefix of this test's own, set to Windows XP, without the drive Z:.
prefix="$folder/prefix"
# Run from its drive C:, which Wine then takes for the working folder.
own() {
    (if [ -d "$prefix/drive_c" ]; then cd "$prefix/drive_c"; fi
     SPLASH_WINE_PREFIX="$prefix" "$wineRun" "$@")
}
own reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
SPLASH_WINE_PREFIX="$prefix" "$wineRun" stop-prefix
rm -f "$prefix/dosdevices/z:"
author="$prefix/drive_c/Проба"
mkdir -p "$author/work"
cp -r "$folder/unpacked/$packageName" "$author/"
cp "$folder/picture.png" "$author/work/"
# One cmd.exe command line in the author's folder, its output (standard error too) as the
# caller's. Each argument stays one: Wine quotes those with spaces as cmd.exe reads them.
inCmd() {
    own cmd /c cd /d 'C:\Проба\work' '&&' "..\\$packageName\\splashpack.exe" "$@" 2>&1
}
fail() { echo "package_splash: $1" >&2; shift; printf '%s\n' "$@" >&2; exit 1; }

drives=$(own cmd /c 'if exist Z:\ (echo Z: is there) else (echo no Z:)' | tr -d '\r')
[ "$drives" = "no Z:" ] || fail "the prefix still has Z:" "$drives"

# The requirements box in the carried font: the same PNG as the Linux tool's for the same splash.
inCmd build --picture picture.png --min-resolution 800x600 --output box.exe -q \
    --message "Écran trop petit : il faut 800 x 600 pixels au moins." >/dev/null
[ -s "$author/work/box.exe" ] || fail "splashpack.exe wrote no box.exe"
shown=$(inCmd preview box.exe --screen 640x480 -o box.png) ||
    fail "splashpack.exe preview failed without Z:" "$shown"
case "$shown" in *$'\r\n'*) ;; *) fail "its redirected text does not end lines in CR LF" "$shown" ;; esac
"$linuxTool" preview "$author/work/box.exe" --screen 640x480 -o "$folder/box-linux.png" -q
cmp "$author/work/box.png" "$folder/box-linux.png" ||
    fail "the preview of splashpack.exe differs from the Linux tool's"

# A Japanese message: drawn with MS Gothic where the fonts folder has it, named as Windows names it
# where it does not. A CJK collection of Debian's stands in for it, under its file name.
inCmd build --picture picture.png --min-resolution 800x600 --code-page 932 --output japanese.exe \
    -q --message "画面が小さすぎます" >/dev/null
lacking=$(inCmd preview japanese.exe --screen 640x480 -o lacking.png)
case "$lacking" in
*"Windows draws them with MS Gothic (msgothic.ttc)"*"none of which C:\windows\Fonts holds"*) ;;
*) fail "the missing font is not named in Windows' words" "$lacking" ;;
esac
mkdir -p "$prefix/drive_c/windows/Fonts"
cp "$cjkFont" "$prefix/drive_c/windows/Fonts/msgothic.ttc"
drawn=$(inCmd preview japanese.exe --screen 640x480 -o drawn.png)
case "$drawn" in *"no font the preview found"*) fail "MS Gothic was not used" "$drawn" ;; esac
! cmp -s "$author/work/lacking.png" "$author/work/drawn.png" ||
    fail "the preview with MS Gothic shows the same empty boxes as without it"
rm "$prefix/drive_c/windows/Fonts/msgothic.ttc"
SPLASH_WINE_PREFIX="$prefix" "$wineRun" stop-prefix
echo "package: splashpack.exe previews without Z: as the Linux tool does"
