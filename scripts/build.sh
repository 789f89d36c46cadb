#!/usr/bin/env bash
# Builds the two shipped products, build/i686 (32-bit) and build/x86_64-product
# (64-bit), both small and checked, and build/x86_64 (the programs and tests
# that run under 64-bit Wine), then the two packages in build/dist:
# Tavro-<version>-win64.zip for 64-bit Windows and Tavro-<version>-win32.zip for 32-bit
# Windows (the version as CMakeLists.txt gives it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${TAVRO_JOBS:-2}
build=${TAVRO_BUILD_DIR:-$root/build}
# Ninja for new build folders: it keeps both processors busy across folders of
# the tree, where make waits at each one. A folder made before keeps the
# generator it was made with (CMake reads it from the cache).
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}

# The products: the same options for both packages, each checked (machine
# type, imports, manifest, size budget).
for product in i686:toolchain-i686 x86_64-product:toolchain-x86_64-product; do
    cmake -S "$root" -B "$build/${product%%:*}" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/${product#*:}.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTAVRO_TESTS=OFF -DTAVRO_CHECK_PE=ON -DTAVRO_SMALL=ON >/dev/null
    cmake --build "$build/${product%%:*}" -j "$jobs"
done

cmake -S "$root" -B "$build/x86_64" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DTAVRO_TESTS=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build "$build/x86_64" -j "$jobs"

# The release: each product's folder packed for Windows users. The black-box
# tests unpack these packages and start their programs, as a user would; they
# refuse a package older than the test build's programs, so packing comes last.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/i686/CMakeCache.txt")
if [ -z "$version" ]; then
    echo "build: $build/i686/CMakeCache.txt names no project version: no package made" >&2
    exit 1
fi
bash "$root/scripts/dist.sh" "$build/x86_64-product/bin" "$build/dist/Tavro-$version-win64.zip"
bash "$root/scripts/dist.sh" "$build/i686/bin" "$build/dist/Tavro-$version-win32.zip"
