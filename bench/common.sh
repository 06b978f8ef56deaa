# Sourced by the host benchmarks, with their arguments: [SIZE_MIB] [REPEATS].
# Sets root, size_mib, repeats, lzh and work (build/bench, where generated
# inputs are cached), builds the host tools and the two helper programs.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size_mib=${1:-50}
repeats=${2:-3}

sh scripts/build.sh host >/dev/null
lzh="$root/dist/host/bin/lzh"
work="$root/build/bench"
mkdir -p "$work"
g++ -O2 -std=c++20 bench/gendata.cpp -o "$work/gendata"
g++ -O2 -std=c++20 bench/measure.cpp -o "$work/measure"

# require_tools TOOL...: stops with a hint when a peer is not installed.
require_tools() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "bench: $tool missing (scripts/install-deps.sh)" >&2; exit 1; }
    done
}

# input KIND: the path of the generated input of that kind and size.
input() {
    file="$work/$1-$size_mib.dat"
    [ -f "$file" ] || "$work/gendata" "$1" "$((size_mib * 1024 * 1024))" > "$file"
    echo "$file"
}

# input_folder: a game-like folder of the same total size, the text input in
# 64 KiB files and the binary one in 256 KiB files, as games ship many small
# files. Prints its path.
input_folder() {
    folder="$work/folder-$size_mib"
    if [ ! -d "$folder" ]; then
        half=$((size_mib * 1024 * 1024 / 2))
        mkdir -p "$folder.tmp/text" "$folder.tmp/data"
        "$work/gendata" text "$half" | (cd "$folder.tmp/text" && split -b 64k -d -a 4 - part-)
        "$work/gendata" binary "$half" | (cd "$folder.tmp/data" && split -b 256k -d -a 4 - part-)
        mv "$folder.tmp" "$folder"
    fi
    echo "$folder"
}

# best_of FIELD RESET COMMAND...: runs COMMAND $repeats times under measure,
# evaluating the shell text RESET before each run, and prints the "wall cpu
# rss" line of the best run: the least FIELD (1 wall, 2 CPU time), ties going
# to the least wall time. A failing run stops the benchmark.
best_of() {
    _field=$1 _reset=$2 _best=""
    shift 2
    for _ in $(seq "$repeats"); do
        eval "$_reset"
        "$work/measure" "$@" 2>"$work/time.$$" >/dev/null || { echo "bench: $* failed" >&2; exit 1; }
        _line=$(tail -n 1 "$work/time.$$")
        if [ -z "$_best" ] || awk -v f="$_field" -v n="$_line" -v o="$_best" \
            'BEGIN { split(n, x, " "); split(o, y, " "); exit !(x[f] < y[f] || (x[f] == y[f] && x[1] < y[1])) }'; then
            _best=$_line
        fi
    done
    rm -f "$work/time.$$"
    echo "$_best"
}
