#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (Debian packages only)
# and makes sure the ja_JP.UTF-8 locale exists, so that Wine runs in code page 932.
set -euo pipefail

PACKAGES=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-i686-dev
          mingw-w64-x86-64-dev googletest cmake make xvfb xdotool imagemagick
          fonts-ipafont locales x11-utils python3 zip unzip binutils-mingw-w64-i686)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen
fi
