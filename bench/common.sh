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
