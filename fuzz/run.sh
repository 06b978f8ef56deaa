#!/bin/sh
# Runs one fuzzer for a bounded time on seeds made from the LZH corpus.
# Usage: run.sh FUZZER SECONDS CORPUS_DIR [EXTRA libFuzzer OPTIONS...]
# New inputs go to a temporary folder unless FUZZ_WORK names one to keep.
set -eu
fuzzer=$1 seconds=$2 corpus=$3
shift 3
work=${FUZZ_WORK:-$(mktemp -d)}
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"; [ -n "${FUZZ_WORK:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$work"

# Decoder seeds: method byte, original size 18092 (AC 46 00 00), raw stream.
seed() {  # seed NAME SELECTOR STREAM
    { printf "\\$(printf %03o "$2")\\254\\106\\000\\000"; cat "$corpus/compressed/$3"; } > "$seeds/$1"
}
case $(basename "$fuzzer") in
    fuzz_header)
        for f in "$corpus"/archives/*/*.lzh "$corpus"/archives/*/*.LZH "$corpus"/extra-generated/*.lzh; do
            [ -f "$f" ] && [ "$(wc -c < "$f")" -le 65536 ] && cp "$f" "$seeds/$(echo "$f" | tr / _)"
        done ;;
    fuzz_static) seed lh5 1 lh5.bin; seed lh6 2 lh6.bin; seed lh7 3 lh7.bin ;;
    fuzz_lh1) seed lh1 0 lh1.bin ;;
    fuzz_larc) seed lzs 0 lzs.bin; seed lz5 1 lz5.bin; seed lh0 2 lh0.bin ;;
    # Encoder seeds: method selector, then text (corpus listings) or
    # near-random bytes (compressed streams).
    fuzz_encode)
        for m in 0 1 2; do
            { printf "\\$(printf %03o $m)"; cat "$corpus"/output/lha213/*.txt | head -c 30000; } > "$seeds/text$m"
            { printf "\\$(printf %03o $((m + 4)))"; cat "$corpus/compressed/lh5.bin"; } > "$seeds/noise$m"
        done ;;
esac

"$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=1024 \
     -print_final_stats=1 "$@" "$work" "$seeds"
