#!/bin/sh
# Archives written by `lzh a` (-lh5-, -lh6-, -lh7-; header levels 0, 1, 2)
# extract byte-identically with three independent peers, lhasa, 7-Zip and
# jlha, and with unar where it is installed; `lzh a` is deterministic.
# Usage: lzh_create_peers_test.sh LZH
set -u
lzh=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for tool in lhasa 7z jlha; do
    command -v $tool >/dev/null || { echo "$tool is not installed (scripts/install-deps.sh)"; exit 1; }
done
have_unar=0
command -v unar >/dev/null && have_unar=1

mkdir -p "$work/src/game/data/empty" "$work/src/game/saves"
cd "$work/src/game"
# Generated inputs: prose-like text, structured binary, incompressible data,
# long runs, tiny and empty files, sizes at window edges.
awk 'BEGIN { srand(3); for (i = 0; i < 20000; i++) { n = int(rand() * 10) + 2; line = "";
     for (j = 0; j < n; j++) line = line sprintf("mot%d ", int(rand() * rand() * 3000)); print line } }' > story.txt
awk 'BEGIN { srand(5); for (i = 0; i < 150000; i++) printf "%c%c%c%c", 65 + i % 9, int(rand() * 3), i % 251, 0 }' > data/tables.bin
head -c 200000 /dev/zero | tr '\0' 'z' > data/runs.txt
for n in 8191 8192 8193 65537; do head -c $n story.txt > "data/edge$n.txt"; done
head -c 100000 /dev/urandom > data/noise.bin
: > saves/empty.sav
printf 'x' > saves/one.sav
cd "$work/src"
files=$(find game -type f | sort)

failures=0 passes=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# same_tree DIR: every input file is there with the same bytes, and so is
# the empty folder.
same_tree() {
    for f in $files; do cmp -s "$f" "$1/$f" || return 1; done
    [ -d "$1/game/data/empty" ]
}

for method in lh5 lh6 lh7; do
    for level in 0 1 2; do
        name="${method}_h$level"
        archive="$work/$name.lzh"
        "$lzh" a -q -m $method -l $level "$archive" game || { fail "$name: lzh a"; continue; }
        "$lzh" a -q -f -m $method -l $level --threads=1 "$work/again.lzh" game
        cmp -s "$archive" "$work/again.lzh" || fail "$name: a second run with one thread wrote other bytes"
        "$lzh" l "$archive" | grep -q -- "-$method-" || fail "$name: no -$method- member"
        for peer in lhasa 7z jlha unar; do
            [ $peer = unar ] && [ $have_unar = 0 ] && continue
            out="$work/out-$name-$peer"
            mkdir -p "$out"
            case $peer in
                lhasa) (cd "$out" && lhasa xq "$archive") >/dev/null 2>&1 ;;
                7z) 7z x -y -o"$out" "$archive" >/dev/null 2>&1 ;;
                jlha) (cd "$out" && jlha xq "$archive") >/dev/null 2>&1 ;;
                unar) unar -q -f -D -o "$out" "$archive" >/dev/null 2>&1 ;;
            esac
            status=$?
            if [ $status != 0 ]; then fail "$name: $peer exited with $status"
            elif ! same_tree "$out"; then fail "$name: $peer extracted other data"
            else passes=$((passes + 1)); fi
        done
    done
done
echo "$passes passed, $failures failed"
[ $failures = 0 ]
