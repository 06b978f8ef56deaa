#!/bin/sh
# Decode benchmark: lhasa (`lhasa x`), 7-Zip (`7z x`) and our lzh, in one run
# on the same archives, extracting generated ~50 MiB inputs packed as -lh5-
# and -lh7-. Prints throughput, each peer's ratio to ours, and peak memory.
#
#   sh bench/run.sh [SIZE_MIB] [REPEATS]     (defaults: 50 and 3; best run counts)
#
# Builds the host tools first. Inputs and archives are cached in build/bench/.
. "$(dirname "$0")/common.sh"
lhasa=/usr/bin/lhasa          # Debian's `lha` may point to jlha; lhasa is the C peer
require_tools "$lhasa" 7z jlha

# Extraction target on a RAM disk where there is one, so the disk is not measured.
out_base=/dev/shm
[ -d "$out_base" ] && [ -w "$out_base" ] || out_base="$work"
out=$(mktemp -d "$out_base/lzh-bench.XXXXXX")
trap 'rm -rf "$out"' EXIT

archives=""
for kind in text binary random; do
    input=$(input "$kind")
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

# run NAME ARCHIVE: "wall cpu rss" of the extraction with the least CPU time
# (user + system seconds; peak RSS in KiB) over the repeats, its output checked.
run() {
    name=$1 archive=$2
    case $name in
        lzh)   set -- "$lzh" x -q -f -C "$out/x" "$archive" ;;
        lhasa) set -- "$lhasa" "xfqw=$out/x" "$archive" ;;
        7z)    set -- 7z x -y -bd -o"$out/x" "$archive" ;;
    esac
    best_of 2 'rm -rf "$out/x" && mkdir "$out/x"' "$@"
    cmp -s "$out/x/$(basename "${archive%-lh?.lzh}.dat")" "${archive%-lh?.lzh}.dat" ||
        { echo "bench: $name extracted wrong data from $archive" >&2; exit 1; }
}

printf '%-16s %-6s %10s  %-6s %8s %8s %8s %8s %9s\n' archive method packed tool "MiB/s" "cpu MiB/s" "ours/x" "wall s" "peak MiB"
for archive in $archives; do
    packed=$(wc -c < "$archive")
    # The method actually stored (the packer stores what does not compress).
    method=$("$lzh" l "$archive" | sed -n 's/.*\(-l[hz][0-9a-z]-\).*/\1/p' | head -n 1)
    ours=$(run lzh "$archive")
    set -- $ours; ours_cpu=$2
    for tool in lzh lhasa 7z; do
        if [ $tool = lzh ]; then result=$ours; else result=$(run $tool "$archive"); fi
        set -- $result
        awk -v a="$(basename "$archive" .lzh)" -v meth="$method" -v p="$packed" -v tool=$tool \
            -v wall="$1" -v cpu="$2" -v m="$3" -v ours="$ours_cpu" -v mib="$size_mib" 'BEGIN {
            if (wall <= 0) wall = 0.001; if (cpu <= 0) cpu = 0.01; if (ours <= 0) ours = 0.01
            printf "%-16s %-6s %10d  %-6s %8.1f %8.1f %8.2f %8.3f %9.1f\n", (tool == "lzh" ? a : ""),
                   (tool == "lzh" ? meth : ""), p, tool, mib / wall, mib / cpu, cpu / ours, wall, m / 1024 }'
    done
done
cat <<'NOTE'
MiB/s: output size over wall time. cpu MiB/s: over user + system CPU time, the
steadier measure on a shared machine. ours/x: the peer's CPU time divided by
ours (above 1: ours is faster). Each figure is the run with the least CPU time.
NOTE

echo
echo "== encode"
sh "$root/bench/encode.sh" "$size_mib" "$repeats"
