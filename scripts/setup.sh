#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (Debian packages only)
# and makes sure the ja_JP.UTF-8 locale exists, so that Wine runs in code page 932
# (and en_US.UTF-8, the other language setting the tests run under).
# Where the machine executes 32-bit x86 code, it adds the i386 architecture and
# 32-bit Wine as well, so that the tests can run the shipped i686 programs.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

PACKAGES=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-i686-dev
          mingw-w64-x86-64-dev googletest cmake make ninja-build xvfb xdotool imagemagick
          fonts-ipafont locales x11-utils python3 zip unzip binutils-mingw-w64-i686)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# 32-bit Wine only where 32-bit code runs: elsewhere its loader fails with
# "Exec format error" and the package would be dead weight.
if bash "$here/runs-i386.sh"; then
    PACKAGES+=(wine32:i386)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "setup: this machine runs 32-bit x86 code: adding the i386 architecture for 32-bit Wine"
        $SUDO dpkg --add-architecture i386
    fi
fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Read the lists afresh: they know the i386 packages only after an update.
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# ja_JP.UTF-8 runs Wine in code page 932. en_US.UTF-8 is the other language
# setting the tests try (code page 1252): without the generated locale Wine
# still reports 1252 but matches no file name beyond ASCII at all.
for wanted in ja_JP en_US; do
    if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
        echo "setup: generating the $wanted.UTF-8 locale"
        if ! grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
            echo "$wanted.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
        fi
        $SUDO locale-gen
    fi
done
