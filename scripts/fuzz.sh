#!/bin/bash
# Builds the libFuzzer targets of the portable core (the 'fuzz' preset), writes the inputs
# each starts from and runs each target for SECONDS (default 60), or only the TARGETs named, each
# for its own SECONDS where one follows its name. New inputs and any crash files stay in
# build/fuzz; the exit status is non-zero when a target finds a crash, a leak or a broken check.
#   scripts/fuzz.sh [SECONDS] [TARGET[=SECONDS]...]
#   e.g. scripts/fuzz.sh 60 picture_intake_fuzzer=3600 payload_reader_fuzzer
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: scripts/fuzz.sh [SECONDS] [TARGET[=SECONDS]...]" >&2; exit 2; }
seconds=60
if [ $# -gt 0 ] && [[ $1 != *[!0-9]* ]]; then
    seconds=$1
    shift
fi
[ -n "$seconds" ] || usage
declare -A chosen=()
for argument in "$@"; do
    name=${argument%%=*}
    time=$seconds
    [ "$name" != "$argument" ] && time=${argument#*=}
    case "$time" in '' | *[!0-9]*) usage ;; esac
    chosen[$name]=$time
done

# target, its starting inputs, dictionary, largest input (the corpus's largest BMP is 65078 bytes;
# the picture intake target keeps to smaller ones, which it reads faster).
targets="payload_reader_fuzzer payload payload.dict 8192
settings_decoder_fuzzer settings payload.dict 8192
splash_extension_fuzzer extension payload.dict 1024
bitmap_format_fuzzer bitmap bitmap.dict 70000
sound_check_fuzzer wave wave.dict 8192
exif_orientation_fuzzer exif exif.dict 4096
picture_intake_fuzzer picture picture.dict 40000"
for name in "${!chosen[@]}"; do
    if ! grep -q "^$name " <<<"$targets"; then
        echo "scripts/fuzz.sh: no fuzz target $name; the targets:" $(cut -d' ' -f1 <<<"$targets") >&2
        exit 2
    fi
done

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
missing=()
# The picture decoders build from Debian's sources here (their deb-src entry comes from
# scripts/setup.sh), and the starting pictures are written by the -dev packages' encoders.
for package in cmake ninja-build clang libclang-rt-dev dpkg-dev libjpeg62-turbo-dev libpng-dev \
    libgif-dev zlib1g-dev; do
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
starters=$build/starters
"$build/tests/fuzz/fuzz_starters" "$starters" tests/data/bmp tests/data/pictures

status=0
while read -r target corpus dict max_len; do
    time=$seconds
    if [ ${#chosen[@]} -gt 0 ]; then
        [ -n "${chosen[$target]:-}" ] || continue
        time=${chosen[$target]}
    fi
    echo "== $target for ${time}s"
    mkdir -p "$build/corpus/$corpus" "$build/artifacts"
    if ! "$build/tests/fuzz/$target" "$build/corpus/$corpus" "$starters/$corpus" \
        -dict="tests/fuzz/$dict" -max_len="$max_len" -max_total_time="$time" -timeout=10 \
        -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 </dev/null; then
        echo "== $target found a problem: see $build/artifacts/" >&2
        status=1
    fi
done <<<"$targets"
exit $status
