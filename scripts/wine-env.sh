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

# A display of our own, whatever the user's session has.
tavro_start_xvfb() {
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        TAVRO_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill "$TAVRO_XVFB_PID" 2>/dev/null || true
    done
    echo "FATAL: could not start Xvfb" >&2
    return 1
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
    # One persistent wineserver for the whole run: every later Wine start is cheap.
    "$WINESERVER" -p >/dev/null 2>&1 &
    tavro_wine wineboot -i >/dev/null 2>&1
    tavro_font_substitute
    tavro_virtual_desktop
}

# A throwaway prefix for one test run, never the user's ~/.wine.
tavro_new_prefix() {
    TAVRO_TEMP_PREFIX=$(mktemp -d /tmp/tavro-wine.XXXXXX)
    export WINEPREFIX="$TAVRO_TEMP_PREFIX"
    tavro_init_prefix
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
