#!/bin/sh
# Decode benchmark: lhasa (`lhasa x`), 7-Zip (`7z x`) and our lzh, in one run
# on the same archives, extracting generated ~50 MiB inputs packed as -lh5-
# and -lh7-. Prints throughput, each peer's ratio to ours, and peak memory.
#
#   sh bench/run.sh [SIZE_MIB] [REPEATS]     (defaults: 50 and 3; best run counts)
#
# Builds the host tools first. Inputs and archives are cached in build/bench/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size_mib=${1:-50}
repeats=${2:-3}

sh scripts/build.sh host >/dev/null
lzh="$root/dist/host/bin/lzh"
lhasa=/usr/bin/lhasa          # Debian's `lha` may point to jlha; lhasa is the C peer
for tool in "$lhasa" 7z jlha /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "bench: $tool missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work="$root/build/bench"
mkdir -p "$work"
g++ -O2 -std=c++20 bench/gendata.cpp -o "$work/gendata"
# Extraction target on a RAM disk where there is one, so the disk is not measured.
out_base=/dev/shm
[ -d "$out_base" ] && [ -w "$out_base" ] || out_base="$work"
out=$(mktemp -d "$out_base/lzh-bench.XXXXXX")
trap 'rm -rf "$out"' EXIT

bytes=$((size_mib * 1024 * 1024))
archives=""
for kind in text binary random; do
    input="$work/$kind-$size_mib.dat"
    [ -f "$input" ] || "$work/gendata" "$kind" "$bytes" > "$input"
    for method in 5 7; do
        archive="$work/$kind-$size_mib-lh$method.lzh"
        if [ ! -f "$archive" ]; then
            # Pack with a peer encoder: jlha, header level 2 (c = create, o = method).
            (cd "$work" && jlha "c2o${method}q" "$archive.tmp" "$(basename "$input")" >/dev/null)
            mv "$archive.tmp" "$archive"
        fi
        archives="$archives $archive"
    done
done

# run NAME ARCHIVE: best wall time (s) and its peak RSS (KiB) over the repeats.
run() {
    name=$1 archive=$2 best="" rss=""
    for _ in $(seq "$repeats"); do
        rm -rf "$out/x" && mkdir "$out/x"
        case $name in
            lzh)   set -- "$lzh" x -q -f -C "$out/x" "$archive" ;;
            lhasa) set -- "$lhasa" "xfqw=$out/x" "$archive" ;;
            7z)    set -- 7z x -y -bd -o"$out/x" "$archive" ;;
        esac
        start=$(date +%s%N)
        /usr/bin/time -f "%M" -o "$out/time" "$@" >/dev/null 2>&1 || { echo "bench: $name failed on $archive" >&2; exit 1; }
        end=$(date +%s%N)
        cmp -s "$out/x/$(basename "$archive" | sed 's/-lh[57]\.lzh$/.dat/')" "${archive%-lh?.lzh}.dat" ||
            { echo "bench: $name extracted wrong data from $archive" >&2; exit 1; }
        m=$(tail -n 1 "$out/time")
        t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
        if [ -z "$best" ] || awk "BEGIN { exit !($t < $best) }"; then best=$t rss=$m; fi
    done
    echo "$best $rss"
}

printf '%-16s %-6s %10s  %-7s %9s %9s %8s %9s\n' archive method packed tool "MiB/s" "ours/x" "time s" "peak MiB"
for archive in $archives; do
    packed=$(wc -c < "$archive")
    # The method actually stored (the packer stores what does not compress).
    method=$("$lzh" l "$archive" | sed -n 's/.*\(-l[hz][0-9a-z]-\).*/\1/p' | head -n 1)
    set -- $(run lzh "$archive"); ours_t=$1 ours_m=$2
    for tool in lzh lhasa 7z; do
        if [ $tool = lzh ]; then t=$ours_t m=$ours_m; else set -- $(run $tool "$archive"); t=$1 m=$2; fi
        awk -v a="$(basename "$archive" .lzh)" -v meth="$method" -v p="$packed" -v tool=$tool -v t="$t" -v m="$m" -v ot="$ours_t" -v mib="$size_mib" 'BEGIN {
            if (t <= 0) t = 0.005; if (ot <= 0) ot = 0.005
            printf "%-16s %-6s %10d  %-7s %9.1f %9.2f %8.3f %9.1f\n", (tool == "lzh" ? a : ""), (tool == "lzh" ? meth : ""), p, tool, mib / t, t / ot, t, m / 1024 }'
    done
done
echo "ours/x: the peer's time divided by ours (above 1: ours is faster). Best of $repeats runs."
