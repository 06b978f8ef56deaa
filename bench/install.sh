#!/bin/sh
# Install benchmark: a whole install of a generated ~50 MiB game by Setup.exe
# under Wine (first dialog answered at once, through the shell copy, the
# staging folder and UNLHA32.DLL), against copying the same archive and
# extracting it with our lzh.exe under the same Wine. Prints both times and
# their ratio.
#
#   sh bench/install.sh [SIZE_MIB] [REPEATS]     (defaults: 50 and 3; best run counts)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size_mib=${1:-50}
repeats=${2:-3}

sh scripts/build.sh host win64 >/dev/null
work="$root/build/bench/install"
rm -rf "$work/game" "$work/disk"
mkdir -p "$work/game/data" "$work/game/text"
g++ -O2 -std=c++20 bench/gendata.cpp -o "$work/gendata"

# A game of a few large files and many small ones, half text-like, half binary.
half=$((size_mib * 1024 * 1024 / 2))
"$work/gendata" binary "$half" > "$work/game/data/monde.dat"
"$work/gendata" text "$half" > "$work/game/text/all.txt"
(cd "$work/game/text" && split -b 64k -d -a 4 all.txt part- && rm all.txt)
cp build/win64/sample/ZORV_RT.exe "$work/game/"
dist/host/bin/gamedisk -q -f -t win64 --codepage=1252 -o "$work/disk" "$work/game" Bench "Bench"

. tests/wine/disk-prefix.sh
use_disk_prefix "$work" "$work/disk" fresh
prefix=$WINEPREFIX
. tests/wine/xvfb.sh
start_xvfb 1024x768 "$work"
trap 'stop_xvfb; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
/usr/lib/wine/wineserver -p

now() { date +%s.%N; }
best() { [ -z "$1" ] && echo "$2" || echo "$1 $2" | awk '{print ($2 < $1) ? $2 : $1}'; }
install_best="" copy_best=""
for _ in $(seq "$repeats"); do
    rm -rf "$prefix/drive_c/Program Files/Quillforge/Mythweave/Bench" "$prefix/drive_c/bench-x"
    t0=$(now)
    $W build/win64/tests/support/setup_driver.exe 'G:\Setup.exe' | iconv -f CP1252 -t UTF-8 >"$work/driver.log" || { cat "$work/driver.log" >&2; exit 1; }
    t1=$(now)
    $W cmd /c copy /y 'G:\Bench.lzh' 'C:\bench.lzh' >/dev/null
    $W dist/win64/lzh.exe x -q -f -C 'C:\bench-x' 'C:\bench.lzh'
    t2=$(now)
    install_best=$(best "$install_best" "$(echo "$t1 - $t0" | bc)")
    copy_best=$(best "$copy_best" "$(echo "$t2 - $t1" | bc)")
done
diff -r "$work/game" "$prefix/drive_c/Program Files/Quillforge/Mythweave/Bench" >/dev/null ||
    { echo "bench: the installed game differs from its source" >&2; exit 1; }
printf 'game: %s MiB in %s files\n' "$size_mib" "$(find "$work/game" -type f | wc -l)"
printf 'Setup.exe install:        %6.2f s\n' "$install_best"
printf 'copy + lzh.exe x:         %6.2f s\n' "$copy_best"
printf 'ratio install / copy+lzh: %6.2f\n' "$(echo "$install_best / $copy_best" | bc -l)"
