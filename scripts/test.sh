#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs every test headless: its own
# Xvfb display, a throwaway Wine prefix, code page 932. Ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
tavro_start_xvfb
tavro_new_prefix
trap tavro_cleanup EXIT

tavro_require_cp932

status=0
ctest --test-dir "${TAVRO_BUILD_DIR:-$root/build}/x86_64" --output-on-failure --timeout 900 "$@" || status=$?
exit $status
