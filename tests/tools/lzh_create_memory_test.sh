#!/bin/sh
# `lzh a` streams: packing 400 MiB takes no more memory than packing a few
# MiB would, and the result tests good.
# Usage: lzh_create_memory_test.sh LZH
set -u
lzh=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (scripts/install-deps.sh)"; exit 1; }
truncate -s 384M "$work/zeros.bin"
awk 'BEGIN { srand(1); for (i = 0; i < 400000; i++) print "enregistrement", i, int(rand() * 100000) }' > "$work/text.txt"
cat "$work/text.txt" >> "$work/zeros.bin"
failures=0 passes=0
limit_kib=$((80 * 1024))  # chunks of 1 MiB per thread, windows, buffers and the program
for method in lh5 lh7; do
    /usr/bin/time -f %M -o "$work/rss" "$lzh" a -q -f -m $method --threads=2 "$work/big.lzh" "$work/zeros.bin" || { echo "FAILED: lzh a $method"; failures=$((failures + 1)); continue; }
    rss=$(tail -n 1 "$work/rss")
    if [ "$rss" -gt $limit_kib ]; then echo "FAILED: $method peak $rss KiB over $limit_kib KiB"; failures=$((failures + 1))
    elif ! "$lzh" t -q "$work/big.lzh"; then echo "FAILED: $method archive does not test"; failures=$((failures + 1))
    else passes=$((passes + 1)); fi
done
echo "$passes passed, $failures failed"
[ $failures = 0 ]
