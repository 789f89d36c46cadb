#!/usr/bin/env bash
# Sets up the machine, builds both targets and starts Tavro.exe under Wine on
# the user's display, in the project's own Wine prefix (never ~/.wine). The
# tool runs from the built program folder, so registrations land beside it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRO_BUILD_DIR:-$root/build}

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

echo "Built: $build/i686/bin (the shipped 32-bit programs) and $build/x86_64/bin (64-bit, runs here)."
ls -l "$build/i686/bin" 2>/dev/null || true

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    echo "No X display is available (DISPLAY='${DISPLAY:-}'): Tavro.exe needs one to show its window." >&2
    echo "Run this from a desktop session, or use scripts/test.sh for the headless tests." >&2
    exit 1
fi

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
export WINEPREFIX="${TAVRO_WINEPREFIX:-$build/wineprefix}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once, about 10 s)"
    mkdir -p "$WINEPREFIX"
    tavro_wine wineboot -i >/dev/null 2>&1
    tavro_font_substitute
fi
cd "$build/x86_64/bin"
echo "Starting Tavro.exe from $PWD"
exec "$WINELOADER" Tavro.exe
