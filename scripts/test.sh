#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs every test headless, code
# page 932, TAVRO_TEST_JOBS tests at once (default: two per processor: the
# black-box tests spend most of their time waiting on windows). Each
# test runs on an Xvfb display and in a Wine prefix of its own
# (scripts/isolate.sh), copied from one prepared here. Ends with CTest's
# summary and one line naming the builds the tests ran.
set -euo pipefail
# A step that fails ends the run under set -e: name it, whatever it printed.
trap 'echo "test.sh: failed (exit $?) at line $LINENO: $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"

# Everything the run makes lies in one folder, swept up at the end: the
# template prefix, the tests' prefixes, and the wineservers and displays of
# any test killed before its own cleanup ran.
TAVRO_RUN_DIR=$(mktemp -d /tmp/tavro-run.XXXXXX)
export TAVRO_RUN_DIR
end_run() {
    local prefix
    for prefix in "$TAVRO_RUN_DIR"/tavro-wine.*; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 || true
    done
    tavro_cleanup
    rm -rf "$TAVRO_RUN_DIR"
}
trap end_run EXIT

# The template: a new prefix with the fonts and the virtual desktop set, its
# wineserver ended so that the registry is written out before it is copied.
tavro_start_xvfb
tavro_new_prefix
tavro_require_cp932
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
kill "$TAVRO_XVFB_PID" 2>/dev/null || true
TAVRO_XVFB_PID=""
export TAVRO_PREFIX_TEMPLATE=$WINEPREFIX
echo "wine: each test runs on a display of its own in a copy of this prefix"

# The black-box tests run the shipped i686 programs as well (label i686), where
# the machine executes 32-bit code.
only64=()
if bash "$root/scripts/runs-i386.sh"; then
    ran="tests ran: the x86_64 build, and the shipped i686 programs from the release zip (tests named *_i686)"
else
    only64=(-LE i686)
    ran="tests ran: the x86_64 build only: this machine cannot run 32-bit programs, so the shipped i686 programs were built and checked but not run"
fi

status=0
ctest --test-dir "${TAVRO_BUILD_DIR:-$root/build}/x86_64" --output-on-failure --timeout 900 \
    -j "${TAVRO_TEST_JOBS:-$(( 2 * $(nproc) ))}" "${only64[@]}" "$@" || status=$?
echo "$ran"
exit $status
