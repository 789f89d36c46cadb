#!/usr/bin/env bash
# Runs one test command on an Xvfb display and in a Wine prefix of its own,
# so that CTest can run several tests at once without one seeing the other's
# windows, tray icons, files or registry:
#   scripts/isolate.sh COMMAND [ARGS...]
# The prefix is a copy of TAVRO_PREFIX_TEMPLATE when scripts/test.sh prepared
# one, else made afresh. Both go when the command ends, however it ends.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ $# -lt 1 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
trap tavro_cleanup EXIT
tavro_start_xvfb
tavro_new_prefix

status=0
"$@" || status=$?
exit $status
