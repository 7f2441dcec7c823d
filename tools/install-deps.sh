#!/bin/sh
# Installs what building, playing and testing need on Debian 12, as root.
set -e
packages="build-essential cmake pkg-config libsdl1.2-compat-dev libsdl-mixer1.2-dev libsdl-gfx1.2-dev
libvorbis-dev libgtest-dev $*"
installed=$(dpkg-query -W -f='${Package} ${Status}\n' $packages 2>/dev/null | grep -c "ok installed" || true)
if [ "$installed" -lt "$(echo $packages | wc -w)" ]; then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $packages
fi
