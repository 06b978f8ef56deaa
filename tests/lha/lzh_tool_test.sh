#!/bin/sh
# lzh on the corpus's hostile and broken archives: what lands where, and the
# exit status a script sees. Usage: lzh_tool_test.sh LZH CORPUS_DIR
set -u
lzh=$1
corpus=$2/archives
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 passes=0

check() {  # check DESCRIPTION COMMAND...
    desc=$1; shift
    if "$@"; then passes=$((passes + 1)); else echo "FAILED: $desc"; failures=$((failures + 1)); fi
}
status_is() {  # status_is N COMMAND...
    want=$1; shift
    "$@" >"$work/out.txt" 2>&1
    got=$?
    [ "$got" = "$want" ] || { echo "exit $got, wanted $want: $*"; cat "$work/out.txt"; return 1; }
}

# Absolute path: lands inside the target.
check "abspath exit 0" status_is 0 "$lzh" x -C "$work/abs" "$corpus/regression/abspath.lzh"
check "abspath inside" test -f "$work/abs/tmp/absolute_path.txt"

# ".." climbing out: refused, nothing written outside, status 1.
mkdir -p "$work/dot/in"
check "dotdot exit 1" status_is 1 "$lzh" x -C "$work/dot/in" "$corpus/regression/dotdot.lzh"
check "dotdot nothing outside" test -z "$(find "$work/dot" -type f)"

# Symbolic links are never created, and nothing is written through one.
for n in 1 2 3; do
    check "symlink$n exit 1" status_is 1 "$lzh" x -C "$work/sl$n" "$corpus/regression/symlink$n.lzh"
    check "symlink$n no link" test -z "$(find "$work/sl$n" -type l)"
done
check "symlink1 no bar.txt" test ! -e "$work/sl1/bar.txt"
check "symlink1 foo.txt is a file" test -f "$work/sl1/foo.txt"
check "symlink2 passwd inside" test -f "$work/sl2/etc/passwd"

# A link already in the target is not followed either.
mkdir -p "$work/pre/target" "$work/pre/elsewhere"
ln -s "$work/pre/elsewhere" "$work/pre/target/etc"
check "existing link exit 1" status_is 1 "$lzh" x -C "$work/pre/target" "$corpus/regression/symlink2.lzh"
check "existing link not written through" test -z "$(find "$work/pre/elsewhere" -type f)"

# Terminal escapes in a name are neutralised on screen and on disk.
check "badterm exit 0" status_is 0 "$lzh" x -C "$work/term" "$corpus/regression/badterm.lzh"
check "badterm output escaped" sh -c "! grep -q \"$(printf '\033')\" '$work/out.txt'"
check "badterm file renamed" test -n "$(find "$work/term/tmp" -type f -name '_]2;malicious__')"

# Truncated member: test and extract fail with 1 and leave no partial file.
check "truncated test exit 1" status_is 1 "$lzh" t "$corpus/regression/truncated.lzh"
check "truncated extract exit 1" status_is 1 "$lzh" x -C "$work/trunc" "$corpus/regression/truncated.lzh"
check "truncated no partial file" test -z "$(find "$work/trunc" -type f)"

# Everything good: test exits 0; existing files need -f.
check "test exit 0" status_is 0 "$lzh" t "$corpus/lha_unix114i/h2_subdir.lzh"
check "extract exit 0" status_is 0 "$lzh" x -q -C "$work/ok" "$corpus/lha_unix114i/h2_subdir.lzh"
check "again without -f exit 1" status_is 1 "$lzh" x -q -C "$work/ok" "$corpus/lha_unix114i/h2_subdir.lzh"
check "again with -f exit 0" status_is 0 "$lzh" x -q -f -C "$work/ok" "$corpus/lha_unix114i/h2_subdir.lzh"

# Member selection with wildcards and folder names.
check "select exit 0" status_is 0 "$lzh" x -C "$work/sel" "$corpus/regression/multiple.lzh" 'file2-*' file4.txt
check "select picked three" test "$(find "$work/sel" -type f | wc -l)" -eq 3
check "print" sh -c "'$lzh' p '$corpus/regression/multiple.lzh' file2-1.txt | cmp -s - '$work/sel/file2-1.txt'"

check "unmatched name exit 1" status_is 1 "$lzh" t "$corpus/regression/multiple.lzh" file1.txt nosuch.txt

# Fatal cases: status 2.
check "missing archive exit 2" status_is 2 "$lzh" l "$work/none.lzh"
check "not an archive exit 2" status_is 2 "$lzh" l "$corpus/../README.md"
check "unknown command exit 2" status_is 2 "$lzh" frobnicate x.lzh
check "unsupported method exit 1" status_is 1 "$lzh" t "$corpus/pmarc2/pm2.pma"

# Progress on long work when asked for.
check "progress shown" sh -c "'$lzh' t --progress '$corpus/lha_unix114i/lh7_long.lzh' 2>&1 >/dev/null | grep -q '%'"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
