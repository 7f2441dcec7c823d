#!/bin/sh
# Installs what building and playing need on Debian 12, as root; with
# --tests also what the whole test suite uses.
set -e
packages="build-essential cmake pkg-config libsdl1.2-compat-dev libsdl-mixer1.2-dev libsdl-gfx1.2-dev
libvorbis-dev libpng-dev libebur128-dev libgtest-dev"
if [ "${1:-}" = "--tests" ]; then
    # llvm: the symbolizer the fuzz runs' leak suppressions match through; then
    # the Debian package and its checks; libcaca0 for the classic SDL 1.2 library;
    # python3 for the display that refuses a connection in the window tests.
    packages="$packages libbenchmark-dev clang libclang-rt-14-dev valgrind xvfb xdotool x11-utils x11-apps
imagemagick openbox sox strace libxtst-dev emscripten chromium firefox-esr webkit2gtk-driver xauth llvm debhelper lintian appstream desktop-file-utils
mandoc man-db libcaca0 clang-format eslint python3"
fi
installed=$(dpkg-query -W -f='${Package} ${Status}\n' $packages 2>/dev/null | grep -c "ok installed" || true)
if [ "$installed" -lt "$(echo $packages | wc -w)" ]; then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $packages
    # Font packages set up after fontconfig's own trigger leave its cache
    # stale, and the window manager of the window tests then takes longer to
    # map a window than those tests wait.
    if command -v fc-cache >/dev/null; then fc-cache; fi
fi
if [ "${1:-}" = "--tests" ]; then
    # The browser tests drive chromium and firefox-esr through puppeteer-core, pinned in
    # tools/browser/package-lock.json. Some machines bring their own node with npm.
    command -v npm >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends npm
    cd "$(dirname "$0")/browser" && npm ci --no-audit --no-fund
fi
