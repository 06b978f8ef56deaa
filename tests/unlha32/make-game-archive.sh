#!/bin/sh
# Builds the test game archive with a peer archiver (jlha, level 2):
#   make-game-archive.sh OUT_DIR GPL_TEXT
# OUT_DIR/tree holds the files the archive was made from, OUT_DIR/game.lzh
# the archive. Every file and folder is dated 2001-02-03 04:05:06 UTC.
set -eu
out=$1
gpl=$2
rm -rf "$out/tree" "$out/game.lzh"
mkdir -p "$out/tree/data/sub"
cd "$out/tree"
printf 'Welcome to the game.\r\n' > readme.txt
cp "$gpl" data/gpl-2
: > data/sub/empty.dat
seq -w 0 99999 > data/sub/numbers.txt
touch -d '2001-02-03 04:05:06 UTC' readme.txt data/gpl-2 data/sub/empty.dat data/sub/numbers.txt data/sub data
jlha a2q ../game.lzh readme.txt data >/dev/null
