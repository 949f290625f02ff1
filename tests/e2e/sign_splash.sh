#!/bin/bash
# Makes the splash of the signed end-to-end test as its author would: splashpack builds it (under
# Wine), a throwaway certificate signs it, and osslsigncode checks that the signature covers it.
#   sign_splash.sh WINE_RUN SPLASHPACK PLAYER FOLDER     the splash, its picture and key in FOLDER
#   sign_splash.sh --remove FOLDER                       removes FOLDER, key included
set -euo pipefail

if [ "${1:-}" = --remove ]; then
    rm -rf -- "$2"
    exit 0
fi
[ $# -eq 4 ] || { echo "usage: sign_splash.sh WINE_RUN SPLASHPACK PLAYER FOLDER" >&2; exit 2; }
wineRun=$(realpath "$1") splashpack=$(realpath "$2") player=$(realpath "$3")
folder=$(realpath -m "$4")

# scripts/setup.sh installs these: a missing one fails the test rather than skipping it.
for tool in openssl osslsigncode python3; do
    command -v "$tool" >/dev/null || { echo "sign_splash: $tool is missing" >&2; exit 1; }
done
osslsigncode -v 2>&1 | sed -n 1p

rm -rf -- "$folder"
mkdir -p "$folder"
cd "$folder"
windowsPath() { local path=${1//\//\\}; echo "Z:$path"; }

# A 40 x 30 uncompressed 24-bit BMP, which splashpack takes byte for byte: the test compares
# the screen with these pixels.
python3 - <<'PYTHON'
import struct
width, height = 40, 30
stride = (width * 3 + 3) // 4 * 4
rows = b""
for y in range(height):
    row = b"".join(bytes((x * 6 % 256, y * 8 % 256, (x + y) * 3 % 256)) for x in range(width))
    rows += row + b"\0" * (stride - width * 3)
header = b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
open("picture.bmp", "wb").write(header + info + rows)
PYTHON

"$wineRun" "$splashpack" build --player "$(windowsPath "$player")" \
    --picture "$(windowsPath "$folder/picture.bmp")" --target probe.exe \
    --display-time 60s --launch-delay 1s --output "$(windowsPath "$folder/unsigned.exe")" --quiet
[ -s unsigned.exe ] || { echo "sign_splash: splashpack wrote no splash" >&2; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Splash test signer" \
    -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
osslsigncode sign -certs cert.pem -key key.pem -n "Signed splash test" \
    -in unsigned.exe -out splash.exe
# The payload lies before the table, inside what the signature covers, so the signature holds.
osslsigncode verify -CAfile cert.pem -in splash.exe
# inspect sees the table with the payload inside what it covers, and names the player as it was
# before signing: the one this splashpack carries.
report=$("$wineRun" "$splashpack" inspect "$(windowsPath "$folder/splash.exe")")
for expected in "(not verified); the payload lies before it, inside what a signature covers" \
    "; the player this splashpack carries"; do
    grep -qF -- "$expected" <<<"$report" || {
        printf 'sign_splash: inspect of the signed splash lacks "%s":\n%s\n' "$expected" "$report"
        exit 1
    } >&2
done
