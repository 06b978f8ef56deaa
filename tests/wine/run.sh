#!/bin/sh
# CTest emulator for Windows test programs:
#   run.sh WINE_DIR program.exe [args...]
# Runs the program under wine64 in a private copy of the template prefix
# (made once, under a lock) on its own Xvfb display, then removes the copy.
# WINE_SCREEN (WxH, default 1024x768) sets the display size, WINE_LOCALE=ja
# the Japanese code page 932. WINE_KEEP=1 keeps the prefix for inspection.
set -eu
wine_dir=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$wine_dir"
flock "$wine_dir/template.lock" sh "$here/make-template.sh" "$wine_dir"

prefix=$(mktemp -d "$wine_dir/run.XXXXXX")
cp -a "$wine_dir/template/." "$prefix/"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
if [ "${WINE_LOCALE:-}" = ja ]; then
    export LOCPATH="$wine_dir/locale" LC_ALL=ja_JP.UTF-8
else
    export LC_ALL=C.UTF-8
fi

. "$here/xvfb.sh"
start_xvfb "${WINE_SCREEN:-1024x768}" "$wine_dir"
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    stop_xvfb
    [ "${WINE_KEEP:-0}" = 1 ] || rm -rf "$prefix"
}
trap cleanup EXIT

/usr/lib/wine/wineserver -p
set +e
/usr/lib/wine/wine64 "$@"
rc=$?
set -e
exit $rc
