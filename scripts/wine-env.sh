# Shared Wine set-up for the run and test scripts (sourced, not executed).
# Everything runs in code page 932: Wine takes it from the Unix locale.
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop menu entries on the host for the shortcuts the tool writes, and
# no prompts for Mono or Gecko in a new prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win64

TAVRO_XVFB_PID=""
TAVRO_TEMP_PREFIX=""

tavro_wine() { "$WINELOADER" "$@"; }

# A display of our own, whatever the user's session has. Xvfb picks a free
# number itself (-displayfd) and names it once it takes connections, so tests
# started at the same moment never share a display.
tavro_start_xvfb() {
    local numfile i n=""
    numfile=$(mktemp /tmp/tavro-xvfb.XXXXXX)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    TAVRO_XVFB_PID=$!
    for i in $(seq 1 100); do
        n=$(tr -dc 0-9 <"$numfile")
        [ -n "$n" ] && break
        kill -0 "$TAVRO_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numfile"
    if [ -z "$n" ]; then
        echo "FATAL: could not start Xvfb" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

# Maps the Japanese UI font to the IPA font, so texts are laid out as on a
# Japanese system instead of in a wider fallback font.
tavro_font_substitute() {
    tavro_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
    tavro_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v 'ＭＳ ゴシック' /t REG_SZ /d 'IPAGothic' /f >/dev/null 2>&1
}

# Every program of the prefix runs in one virtual desktop with a taskbar and a
# notification area (Wine shows the taskbar only for the desktop named "shell").
tavro_virtual_desktop() {
    tavro_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d shell /f >/dev/null 2>&1
    tavro_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /t REG_SZ /d 1024x768 /f \
        >/dev/null 2>&1
}

# Prepares WINEPREFIX (created when new) and keeps one wineserver alive.
tavro_init_prefix() {
    mkdir -p "$WINEPREFIX"
    # One persistent wineserver for the whole run: every later Wine start is
    # cheap. In the foreground, so that it is ready before wineboot starts.
    "$WINESERVER" -p >/dev/null 2>&1
    # A failed set-up says so: under set -e it would otherwise end the run
    # without a word.
    if ! tavro_wine wineboot -i >/dev/null 2>&1; then
        echo "wine: wineboot -i failed in $WINEPREFIX; once more" >&2
        tavro_wine wineboot -i >/dev/null 2>&1 || { echo "FATAL: wineboot -i failed in $WINEPREFIX" >&2; return 1; }
    fi
    tavro_font_substitute || { echo "FATAL: the font substitutes could not be set in $WINEPREFIX" >&2; return 1; }
    tavro_virtual_desktop || { echo "FATAL: the virtual desktop could not be set in $WINEPREFIX" >&2; return 1; }
}

# A throwaway prefix, never the user's ~/.wine: a copy of the prefix
# TAVRO_PREFIX_TEMPLATE names when set (see tavro_clone_prefix), else a new
# one; in the folder TAVRO_RUN_DIR when set, so a run can sweep up after a
# test that was killed before its own cleanup.
tavro_new_prefix() {
    TAVRO_TEMP_PREFIX=$(mktemp -d "${TAVRO_RUN_DIR:-/tmp}/tavro-wine.XXXXXX")
    export WINEPREFIX="$TAVRO_TEMP_PREFIX"
    if [ -n "${TAVRO_PREFIX_TEMPLATE:-}" ]; then
        tavro_clone_prefix "$TAVRO_PREFIX_TEMPLATE" "$WINEPREFIX"
        # In the foreground: it returns once the server is ready (it detaches
        # itself), so the first program cannot start a server of its own,
        # which would end with its last program and make every start cold.
        "$WINESERVER" -p >/dev/null 2>&1
    else
        tavro_init_prefix
    fi
}

# Copies a prepared prefix (its wineserver ended) in about a second instead of
# the ten or more a new one takes. The system folders (630 of its 700 MB) are
# written once, by wineboot, and only read afterwards: they are shared as hard
# links. The rest (registry, profiles, ini files) Wine rewrites in place: that
# is copied. The file "wineserver" names the template's server folder: each
# copy makes its own.
tavro_clone_prefix() {
    local src=$1 dst=$2 dir
    local shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)
    tar -C "$src" "${shared[@]/#/--exclude=./}" --exclude=./wineserver -cf - . | tar -C "$dst" -xf -
    for dir in "${shared[@]}"; do
        if [ -d "$src/$dir" ]; then cp -al "$src/$dir" "$dst/$dir"; fi
    done
}

tavro_require_cp932() {
    if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        echo "FATAL: the ja_JP.UTF-8 locale is missing: Wine would not run in code page 932" >&2
        exit 1
    fi
    echo "wine: prefix $WINEPREFIX, display $DISPLAY, locale $LC_ALL"
}

tavro_cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
    if [ -n "$TAVRO_XVFB_PID" ]; then kill "$TAVRO_XVFB_PID" 2>/dev/null || true; fi
    if [ -n "$TAVRO_TEMP_PREFIX" ]; then rm -rf "$TAVRO_TEMP_PREFIX"; fi
}
