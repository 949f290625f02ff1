#!/bin/bash
# Builds the libFuzzer targets of the portable core (the 'fuzz' preset), writes the inputs
# each starts from and runs each target for SECONDS (default 60). New inputs and any crash files stay in
# build/fuzz; the exit status is non-zero when a target finds a crash, a leak or a broken check.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
case "$seconds" in '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;; esac

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
missing=()
for package in cmake ninja-build clang libclang-rt-dev; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=${SPLASH_JOBS:-2}
cmake --preset fuzz -DSPLASH_WERROR=ON >/dev/null
cmake --build --preset fuzz -j "$jobs"

build=build/fuzz
seeds=$build/seeds
"$build/tests/fuzz/fuzz_seeds" "$seeds" tests/data/bmp

status=0
# target, its starting inputs, dictionary, largest input (the corpus's largest BMP is 65078 bytes).
while read -r target corpus dict max_len; do
    echo "== $target for ${seconds}s"
    mkdir -p "$build/corpus/$corpus" "$build/artifacts"
    if ! "$build/tests/fuzz/$target" "$build/corpus/$corpus" "$seeds/$corpus" \
        -dict="tests/fuzz/$dict" -max_len="$max_len" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 </dev/null; then
        echo "== $target found a problem: see $build/artifacts/" >&2
        status=1
    fi
done <<'TARGETS'
payload_reader_fuzzer payload payload.dict 8192
settings_decoder_fuzzer settings payload.dict 8192
splash_extension_fuzzer extension payload.dict 1024
bitmap_format_fuzzer bitmap bitmap.dict 70000
sound_check_fuzzer wave wave.dict 8192
exif_orientation_fuzzer exif exif.dict 4096
TARGETS
exit $status
