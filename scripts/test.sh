#!/bin/sh
# Builds every flavour and runs every test; exits non-zero on any failure.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sh scripts/build.sh host asan win64 win32

status=0
for f in host asan win64; do
    echo "== tests: $f"
    ctest --test-dir "build/$f" --output-on-failure -j2 || status=1
done
exit $status
