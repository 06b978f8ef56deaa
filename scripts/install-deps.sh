#!/bin/sh
# Installs every package the build, the tests and the demo need on Debian 12.
# Idempotent: when everything is present it only checks and returns.
set -eu

PACKAGES="cmake ninja-build g++ googletest clang libclang-rt-14-dev
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
wine64 xvfb xauth xdotool x11-apps imagemagick fonts-ipafont-gothic locales
lhasa p7zip-full jlha-utils unar bc time"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "install-deps: missing packages:$missing (run as root)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
