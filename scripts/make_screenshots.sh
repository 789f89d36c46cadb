#!/usr/bin/env bash
# Remakes the screenshots in docs/ from a real run: the x86_64 build of Tavro.exe
# under Wine in a virtual desktop on its own Xvfb display, in a throwaway prefix
# with the Japanese UI font substitutes, driven by scripts/make_screenshots.py.
#   bash scripts/make_screenshots.sh        (builds first when nothing is built)
# The main dialog and the wizard pages are taken again at 144 DPI (NAME-144dpi.png).
# The pictures are then embedded in regtool/TavroHelp.Html by
# scripts/embed_screenshots.py, which this script runs last.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRO_BUILD_DIR:-$root/build}
bin="$build/x86_64/bin"
e2e="$build/x86_64/tests/e2e"

bash "$root/scripts/setup.sh"
# Wine's own fonts give the title bars their caption-button glyphs.
if ! dpkg-query -W -f='${Status}' fonts-wine 2>/dev/null | grep -q "install ok installed"; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends fonts-wine
fi
if [ ! -f "$bin/Tavro.exe" ] || [ ! -f "$e2e/e2eprobe.exe" ]; then
    bash "$root/scripts/build.sh"
fi

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
tavro_start_xvfb
tavro_new_prefix
trap tavro_cleanup EXIT
tavro_require_cp932

# Closer to a Japanese desktop than Wine's defaults: title bars, menus and tips
# use "MS Shell Dlg", which would fall back to a fixed-pitch bitmap font; the
# caption buttons need Marlett, which a new prefix does not pick up by itself.
subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
tavro_wine reg add "$subst" /v 'MS Shell Dlg' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
tavro_wine reg add "$subst" /v 'MS UI Gothic' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi

# Screen resolution as the prefix's LogPixels: 96 DPI is 100 %, 144 DPI 150 %.
set_dpi() {
    tavro_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -p >/dev/null 2>&1 &
}

# At 96 DPI every picture; at 144 DPI the main dialog and the wizard pages again,
# as NAME-144dpi.png, to show that they scale with their texts.
artifacts=$(mktemp -d /tmp/tavro-shots.XXXXXX)
shoot() {
    python3 "$root/scripts/make_screenshots.py" --bin "$bin" --probe "$e2e/e2eprobe.exe" \
        --recorder "$e2e/recorder.exe" --artifacts "$artifacts" --out "$root/docs" "$@"
}
set_dpi 96
shoot
set_dpi 144
shoot --suffix=-144dpi --no-tray
rm -rf "$artifacts"
python3 "$root/scripts/embed_screenshots.py"
