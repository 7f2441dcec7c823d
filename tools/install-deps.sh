#!/bin/sh
# Installs what building and playing need on Debian 12, as root; with
# --tests also what the whole test suite uses.
set -e
packages="build-essential cmake pkg-config libsdl1.2-compat-dev libsdl-mixer1.2-dev libsdl-gfx1.2-dev
libvorbis-dev libgtest-dev"
if [ "${1:-}" = "--tests" ]; then
    # llvm brings llvm-symbolizer, without which the sanitizers print bare
    # addresses and the leak suppressions cannot match.
    packages="$packages libbenchmark-dev clang libclang-rt-14-dev llvm valgrind xvfb xdotool x11-utils x11-apps
imagemagick openbox sox libxtst-dev"
fi
installed=$(dpkg-query -W -f='${Package} ${Status}\n' $packages 2>/dev/null | grep -c "ok installed" || true)
if [ "$installed" -lt "$(echo $packages | wc -w)" ]; then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $packages
fi
