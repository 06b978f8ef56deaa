#!/bin/sh
# Encode benchmark: our `lzh a` against jlha on the same generated ~50 MiB
# text and binary inputs and on a game-like folder of both cut into small
# files, -lh5- and -lh7-, header level 2. Prints archive sizes, times and the
# ratios: size ours/jlha (target <= 0.97) and speed jlha/ours (target >= 5).
#
#   sh bench/encode.sh [SIZE_MIB] [REPEATS]   (defaults: 50 and 3; best run counts)
#
# bench/run.sh ends by running it; inputs are shared with the decode section.
. "$(dirname "$0")/common.sh"
require_tools jlha
out=$(mktemp -d "$work/encode.XXXXXX")
trap 'rm -rf "$out"' EXIT

printf '%-12s %-6s %-5s %10s %8s %8s %8s %9s  %s\n' input method tool size "wall s" "cpu s" "MiB/s" "peak MiB" "ours vs jlha"
for kind in text binary folder; do
    # The folder is packed whole, as a game creator would.
    if [ "$kind" = folder ]; then input=$(input_folder); else input=$(input "$kind"); fi
    from=$(dirname "$input") name=$(basename "$input")
    for method in 5 7; do
        # Wall time decides here: our encoder uses every processor, jlha one.
        result=$(best_of 1 'rm -f "$out/ours.lzh"' "$lzh" a -q -f -m lh$method "$out/ours.lzh" -C "$from" "$name")
        set -- $result
        ours_wall=$1 ours_cpu=$2 ours_rss=$3
        "$lzh" t -q "$out/ours.lzh" || { echo "bench: our archive does not test" >&2; exit 1; }
        ours_size=$(wc -c < "$out/ours.lzh")
        result=$(cd "$from" && best_of 1 'rm -f "$out/jlha.lzh"' jlha "c2o${method}q" "$out/jlha.lzh" "$name")
        set -- $result
        jlha_wall=$1 jlha_cpu=$2 jlha_rss=$3
        jlha_size=$(wc -c < "$out/jlha.lzh")
        awk -v k="$kind" -v m="-lh$method-" -v mib="$size_mib" -v os="$ours_size" -v ow="$ours_wall" -v oc="$ours_cpu" -v orss="$ours_rss" \
            -v js="$jlha_size" -v jw="$jlha_wall" -v jc="$jlha_cpu" -v jrss="$jlha_rss" 'BEGIN {
            printf "%-12s %-6s %-5s %10d %8.3f %8.3f %8.1f %9.1f  size x%.3f, %.2fx faster (cpu %.2fx)\n", k, m, "ours", os, ow, oc, mib / ow, orss / 1024, os / js, jw / ow, jc / oc
            printf "%-12s %-6s %-5s %10d %8.3f %8.3f %8.1f %9.1f\n", "", "", "jlha", js, jw, jc, mib / jw, jrss / 1024 }'
    done
done
cat <<'NOTE'
size xN: our archive over jlha's (at most 0.97 is the goal). Nx faster: jlha's
wall time over ours, each the best of the repeats (cpu: the same for CPU time;
our encoder uses every processor, jlha one).
NOTE
