#!/usr/bin/env bash
# Builds both targets: build/i686 (the shipped 32-bit product, checked) and
# build/x86_64 (the programs and tests that run under 64-bit Wine).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${TAVRO_JOBS:-2}
build=${TAVRO_BUILD_DIR:-$root/build}

cmake -S "$root" -B "$build/i686" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DTAVRO_TESTS=OFF -DTAVRO_CHECK_PE=ON -DTAVRO_SMALL=ON >/dev/null
cmake --build "$build/i686" -j "$jobs"

cmake -S "$root" -B "$build/x86_64" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DTAVRO_TESTS=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build "$build/x86_64" -j "$jobs"
