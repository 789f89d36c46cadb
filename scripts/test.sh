#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs every test headless: its own
# Xvfb display, a throwaway Wine prefix, code page 932. Ends with CTest's summary
# and one line naming the builds the tests ran.
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
    "${only64[@]}" "$@" || status=$?
echo "$ran"
exit $status
