#!/bin/sh
# Builds everything and runs Setup.exe under Wine on the bundled sample game.
# With a display ($DISPLAY) the installer shows there for a person to click
# through; without one it runs under Xvfb and a screenshot is saved.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sh scripts/build.sh host win64 win32

out="$root/out/demo"
disk="$out/disk"
rm -rf "$disk"
mkdir -p "$disk"
cp dist/win64/Setup.exe sample/Setup.ini "$disk/"
[ -f dist/win64/UNLHA32.DLL ] && cp dist/win64/UNLHA32.DLL "$disk/"

# A prefix of its own, made from the test template, kept between runs.
wine_dir="$out/wine"
flock "$out/template.lock" sh tests/wine/make-template.sh "$wine_dir"
prefix="$out/prefix"
[ -d "$prefix" ] || cp -a "$wine_dir/template" "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
# The sample disk is drive G:, as a game folder would be on a disk.
ln -sfn "$disk" "$prefix/dosdevices/g:"

. tests/wine/xvfb.sh
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb 1024x768 "$out"
    trap 'stop_xvfb' EXIT
    headless=1
else
    headless=0
fi

if [ $headless = 0 ]; then
    /usr/lib/wine/wine64 'G:\Setup.exe'
    echo "Setup.exe ended."
    exit 0
fi

/usr/lib/wine/wine64 'G:\Setup.exe' &
setup_pid=$!
sleep 4
shot="$out/screenshot.png"
xwd -root -silent -display "$DISPLAY" | convert xwd:- "$shot"
echo "Screenshot of the running installer: $shot"
kill "$setup_pid" 2>/dev/null || true
/usr/lib/wine/wineserver -k 2>/dev/null || true
