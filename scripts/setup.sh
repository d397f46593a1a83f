#!/bin/sh
# Installs everything the build, the tests and the program need on a Debian 12
# machine (run as root). Does nothing for what is already there, so it is cheap
# to call before every build.
set -e

need=""
have() { dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt_update=1
fi

for p in cmake make g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 \
         mingw-w64-x86-64-dev googletest \
         wine wine32:i386 wine64 xvfb xdotool x11-utils locales \
         fonts-ipafont-gothic fonts-wine imagemagick sox fp-utils zip unzip \
         g++ e2fsprogs python3; do
    have "$p" || need="$need $p"
done

if [ -n "$need" ]; then
    echo "setup: installing$need"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends $need
fi

# Wine takes its ANSI code page from the glibc locale: without ja_JP.UTF-8
# generated it falls back to 1252.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi
