#!/bin/sh
# Archives made by a peer archiver (jlha: -lh5- and -lh7-, header levels 0, 1
# and 2) from generated data extract byte-identical with lzh.
# Usage: peer_jlha_test.sh LZH
set -u
lzh=$1
command -v jlha >/dev/null || { echo "jlha is not installed (scripts/install-deps.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src" "$work/src/sub"
cd "$work/src"

# Generated inputs: text-like, binary with structure, incompressible, and the
# sizes around window and block edges.
awk 'BEGIN { srand(7); for (i = 0; i < 30000; i++) { n = int(rand() * 12) + 1; line = "";
     for (j = 0; j < n; j++) line = line sprintf("w%d ", int(rand() * rand() * 2000)); print line } }' > text.txt
awk 'BEGIN { srand(11); for (i = 0; i < 200000; i++) printf "%c%c%c%c", 65 + i % 7, int(rand() * 4), i % 256, 0 }' > sub/binary.bin
head -c 300000 /dev/urandom > sub/random.bin
: > empty.txt
printf x > one.txt
for n in 8191 8192 8193 65535 65536 65537; do head -c $n text.txt > "sub/edge$n.txt"; done
files=$(find . -type f | sort)

failures=0 passes=0
for method in 5 7; do
    for level in 0 1 2; do
        name="lh${method}_h$level"
        # jlha: c = create, o5/o7 = method, digit = header level, q = quiet.
        jlha "c${level}o${method}q" "$work/$name.lzh" $files >/dev/null 2>&1 || { echo "jlha failed for $name"; failures=$((failures + 1)); continue; }
        rm -rf "$work/out"
        if ! "$lzh" x -q -C "$work/out" "$work/$name.lzh"; then
            echo "FAILED: $name: lzh reported an error"; failures=$((failures + 1)); continue
        fi
        ok=1
        for f in $files; do
            cmp -s "$f" "$work/out/$f" || { echo "FAILED: $name: $f differs"; ok=0; }
        done
        "$lzh" v "$work/$name.lzh" | grep -q -- "-lh$method-" || { echo "FAILED: $name: method not -lh$method-"; ok=0; }
        if [ $ok = 1 ]; then passes=$((passes + 1)); else failures=$((failures + 1)); fi
    done
done
echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
