#!/usr/bin/env bash
# Builds both targets: build/i686 (the shipped 32-bit product, checked) and
# build/x86_64 (the programs and tests that run under 64-bit Wine), then the
# release zip build/dist/Tavro-<version>-win32.zip (the version as CMakeLists.txt
# gives it).
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

# The release: the i686 product's folder packed for Windows users. The x86_64
# programs get the same package, made the same way, for the test that unpacks
# it under Wine; it is not for shipping.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/i686/CMakeCache.txt")
if [ -z "$version" ]; then
    echo "build: $build/i686/CMakeCache.txt names no project version: no package made" >&2
    exit 1
fi
bash "$root/scripts/dist.sh" "$build/i686/bin" "$build/dist/Tavro-$version-win32.zip"
bash "$root/scripts/dist.sh" "$build/x86_64/bin" "$build/x86_64/dist/Tavro-$version-x64-testonly.zip"
