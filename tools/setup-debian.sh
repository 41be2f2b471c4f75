#!/bin/sh
# Installs what building and running the studio needs on Debian 12; with --tests, also what
# the test suite, the benchmarks, the document checks, the fuzzers and the package check need.
set -eu
packages="cmake g++ make pkg-config dpkg-dev qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-svg-dev libzip-dev \
libgl1-mesa-dev libxkbcommon-dev fonts-liberation2 fonts-crosextra-carlito"
if [ "${1:-}" = "--tests" ]; then
    # One package a line, so that additions from different branches merge cleanly.
    packages="$packages
        libbenchmark-dev
        libgtest-dev
        libreoffice-writer-nogui
        libreoffice-impress-nogui
        poppler-utils
        librsvg2-bin
        xvfb
        xauth
        xdotool
        python3-xlib
        inotify-tools
        clang
        libclang-rt-14-dev
        lintian
        libxml2-utils
        python3
        unzip
        pandoc
    "
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
