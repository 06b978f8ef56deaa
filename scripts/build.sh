#!/bin/sh
# Configures and builds the given flavours (default: all) in build/<flavour>:
#   host   native Linux: LHA library, tools, codec tests, fuzzers
#   asan   host with AddressSanitizer and UndefinedBehaviorSanitizer
#   win64  x86_64 Windows, tested under Wine
#   win32  i686 Windows, the 32-bit release build (built, not run)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sh scripts/install-deps.sh

flavours=${*:-"host asan win64 win32"}
for f in $flavours; do
    case $f in
        host)  opts="" ;;
        asan)  opts="-DSANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++" ;;
        win64) opts="-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-x86_64.cmake" ;;
        win32) opts="-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-i686.cmake" ;;
        *) echo "unknown flavour: $f" >&2; exit 2 ;;
    esac
    # shellcheck disable=SC2086
    cmake -S . -B "build/$f" -G Ninja -DBUILD_FLAVOUR="$f" $opts >/dev/null
    cmake --build "build/$f"
done
