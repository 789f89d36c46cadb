#!/usr/bin/env bash
# Benchmarks: builds both packages (scripts/build.sh) and the bench programs
# with the 64-bit product's toolchain and options, then measures under 64-bit
# Wine on its own Xvfb in a throwaway prefix, in the virtual desktop "shell":
# the shipped 64-bit resident, and where 32-bit code runs the i686 resident as
# well; the sizes of both packages' programs. Prints one table; writes
# <build>/bench/results.json. Not part of the tests.
# Options: BENCH_REPS (default 7), BENCH_LOGON_REPS (default 3; each starts 30
# residents and 30 BareTray), BENCH_START_REPS (default 25 interleaved pairs of
# single starts), BENCH_IDLE_SECONDS (default 60: 30 of each idle in the tray).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRO_BUILD_DIR:-$root/build}
jobs=${TAVRO_JOBS:-2}
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}

bash "$root/scripts/build.sh"
cmake -S "$root" -B "$build/x86_64-bench" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-product.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DTAVRO_TESTS=OFF -DTAVRO_SMALL=ON -DTAVRO_BENCH=ON >/dev/null
cmake --build "$build/x86_64-bench" -j "$jobs"

# Where 32-bit code runs, the shipped i686 resident is measured too, against
# BareTray built for i686 and watched by an i686 launcher.
i686_bench=()
if bash "$root/scripts/runs-i386.sh"; then
    cmake -S "$root" -B "$build/i686-bench" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTAVRO_TESTS=OFF -DTAVRO_SMALL=ON -DTAVRO_BENCH=ON >/dev/null
    cmake --build "$build/i686-bench" -j "$jobs" --target BareTray bench_launcher
    i686_bench=(--i686-bench "$build/i686-bench")
fi

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
# The trap first: a start that fails halfway leaves nothing running.
trap tavro_cleanup EXIT
tavro_start_xvfb
tavro_new_prefix
tavro_require_cp932
# A fresh wineserver, so that the explorer started by the run (tracing the
# notification area) is the one that owns the virtual desktop.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
"$WINESERVER" -p >/dev/null 2>&1 &

mkdir -p "$build/bench"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/i686/CMakeCache.txt")
# The programs as shipped: the packages' folders that scripts/dist.sh laid out beside the zips.
python3 "$root/bench/run_bench.py" --bench-build "$build/x86_64-bench" \
    --x64-bin "$build/dist/Tavro-$version-win64/Tavro" --i686-bin "$build/dist/Tavro-$version-win32/Tavro" \
    "${i686_bench[@]}" --reps "${BENCH_REPS:-7}" --logon-reps "${BENCH_LOGON_REPS:-3}" \
    --start-reps "${BENCH_START_REPS:-25}" --idle-seconds "${BENCH_IDLE_SECONDS:-60}" --out "$build/bench/results.json"
