#!/bin/sh
# Builds everything, packs the bundled sample game into a disk set with our
# own gamedisk, and installs it with Setup.exe under Wine. With a display
# ($DISPLAY) a person clicks through the installer; without one it is driven
# automatically, and a screenshot of the installed game is saved.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sh scripts/build.sh host win64 win32

out="$root/out/demo"
mkdir -p "$out"
rm -rf "$out/game" "$out/disk"

# The sample's name and title come from its setup configuration (code page 1252).
project=$(sed -n 's/^ProjectName=//p' sample/Setup.ini | tr -d '\r')
title=$(sed -n 's/^GameTitle=//p' sample/Setup.ini | tr -d '\r' | iconv -f CP1252 -t UTF-8)
cp -r sample/game "$out/game"
cp build/win64/sample/ZORV_RT.exe "$out/game/"
dist/host/bin/gamedisk -q -f -t win64 --codepage=1252 -o "$out/disk" "$out/game" "$project" "$title"

# A prefix of its own, made from the test template, kept between runs.
. tests/wine/disk-prefix.sh
use_disk_prefix "$out" "$out/disk" keep
installed="$WINEPREFIX/drive_c/Program Files/Quillforge/Mythweave/$project"

. tests/wine/xvfb.sh
if [ -n "${DISPLAY:-}" ]; then
    $W 'G:\Setup.exe'
else
    start_xvfb 1024x768 "$out"
    trap 'stop_xvfb' EXIT
    $W build/win64/tests/support/setup_driver.exe 'G:\Setup.exe' | iconv -f CP1252 -t UTF-8
    # The installed game, started from where the installer put it.
    $W "C:\\Program Files\\Quillforge\\Mythweave\\$project\\ZORV_RT.exe" &
    game_pid=$!
    sleep 3
    shot="$out/screenshot.png"
    xwd -root -silent -display "$DISPLAY" | convert xwd:- "$shot"
    echo "Screenshot of the installed game running: $shot"
    kill "$game_pid" 2>/dev/null || true
fi
/usr/lib/wine/wineserver -k 2>/dev/null || true
if [ -d "$installed" ]; then
    echo "The game landed in C:\\Program Files\\Quillforge\\Mythweave\\$project\\ ($installed):"
    ls -R "$installed"
else
    echo "The game was not installed."
fi
