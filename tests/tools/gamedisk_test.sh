#!/bin/sh
# gamedisk: single and split disk sets, the default installer location, and
# the refusals that must leave nothing behind.
# Usage: gamedisk_test.sh GAMEDISK LZH
set -u
gamedisk=$1 lzh=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0 passes=0
check() {  # check DESCRIPTION COMMAND...: counts the outcome of COMMAND
    what=$1; shift
    if "$@"; then passes=$((passes + 1)); else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# Placeholder installer builds: gamedisk only copies them.
for t in win32 win64; do
    mkdir -p dist/$t
    head -c 3000 /dev/urandom > dist/$t/Setup.exe
    head -c 1000 /dev/urandom > dist/$t/UNLHA32.DLL
done
mkdir -p game/data game/empty
awk 'BEGIN { srand(9); for (i = 0; i < 40000; i++) print "ligne", i % 97, int(rand() * 1000) }' > game/data/script.txt
head -c 150000 /dev/urandom > game/data/music.bin
printf 'runtime' > game/ZORV_RT.exe

same_tree() {  # same_tree DIR: DIR holds the game folder's files and folders
    (cd game && find . | sort) > "$work/want" && (cd "$1" && find . | sort) > "$work/got" && cmp -s "$work/want" "$work/got" || return 1
    for f in $(cd game && find . -type f); do cmp -s "game/$f" "$1/$f" || return 1; done
}
ini_is() {  # ini_is FILE PROJECT TITLE DISKS
    printf '[Setup]\r\nProjectName=%s\r\nGameTitle=%s\r\nDiskNumber=%s\r\n' "$2" "$3" "$4" | cmp -s - "$1"
}
listing() { (cd "$1" && find . -type f | sort | tr '\n' ' '); }

# --help and usage errors.
"$gamedisk" --help > help.txt; check "--help exits 0" [ $? = 0 ]
check "--help describes the usage" grep -q "usage: gamedisk" help.txt
"$gamedisk" game Quest 2>/dev/null; check "missing title is a usage error (2)" [ $? = 2 ]
"$gamedisk" --bogus game Quest Title 2>/dev/null; check "unknown option is a usage error (2)" [ $? = 2 ]

# One disk: the four files, the installer from win32, an archive of the game.
"$gamedisk" -q --dist dist -o one game Quest "The Quest" 2>err.txt
check "single set succeeds" [ $? = 0 ]
check "single set holds exactly the four files" [ "$(listing one)" = "./Quest.lzh ./Setup.exe ./Setup.ini ./UNLHA32.DLL " ]
check "Setup.exe and UNLHA32.DLL are the win32 builds" cmp -s one/Setup.exe dist/win32/Setup.exe
check "UNLHA32.DLL is copied" cmp -s one/UNLHA32.DLL dist/win32/UNLHA32.DLL
check "Setup.ini names the project, title and no split" ini_is one/Setup.ini Quest "The Quest" 0
check "no warning with the runtime present" [ ! -s err.txt ]
"$lzh" x -q -C one/x one/Quest.lzh
check "the archive extracts to the game folder" same_tree one/x

"$gamedisk" -q --dist dist --target win64 -o one64 game Quest "The Quest"
check "--target win64 takes the win64 installer" cmp -s one64/Setup.exe dist/win64/Setup.exe

# Split sets: numbered parts, disk 1 with the installer, no disk over the
# size, DiskNumber = parts, and the parts joined are the whole archive.
for size in 1440k 25000 90k; do
    out=split-$size
    "$gamedisk" -q --dist dist -s $size -o $out game Quest "The Quest"
    check "split $size succeeds" [ $? = 0 ]
    disks=$(ls $out | wc -l)
    [ $size = 1440k ] && want=1 || want=2  # the game fits one floppy
    check "split $size makes $want or more disks" [ "$disks" -ge $want ]
    check "split $size: disk 1 holds the installer and part 001" [ "$(listing $out/Disk1)" = "./Quest.001 ./Setup.exe ./Setup.ini ./UNLHA32.DLL " ]
    check "split $size: DiskNumber is the number of parts" ini_is $out/Disk1/Setup.ini Quest "The Quest" "$disks"
    : > joined
    i=1
    while [ $i -le "$disks" ]; do
        part=$(printf 'Quest.%03d' $i)
        [ $i -gt 1 ] && check "split $size: disk $i holds only $part" [ "$(listing $out/Disk$i)" = "./$part " ]
        cat "$out/Disk$i/$part" >> joined
        case $size in
            1440k) limit=1457664 cluster=512 ;;  # the FAT12 data area of a 3.5-inch HD floppy
            90k) limit=92160 cluster=1 ;;
            *) limit=$size cluster=1 ;;
        esac
        used=0
        for f in "$out/Disk$i"/*; do used=$((used + ( $(wc -c < "$f") + cluster - 1) / cluster * cluster)); done
        check "split $size: disk $i uses $used of $limit bytes" [ $used -le $limit ]
        i=$((i + 1))
    done
    check "split $size: the joined parts are the whole archive" cmp -s joined one/Quest.lzh
done
check "parts are numbered with three digits" [ -f split-25000/Disk12/Quest.012 ]

# The installer builds are found beside an installed gamedisk by default.
mkdir -p inst/dist/host/bin && cp "$gamedisk" inst/dist/host/bin/ && cp -r dist/win32 inst/dist/
inst/dist/host/bin/gamedisk -q -o found game Quest "The Quest"
check "the default dist folder is the one gamedisk is installed in" cmp -s found/Setup.exe dist/win32/Setup.exe

# A Japanese title goes into Setup.ini in Shift-JIS.
"$gamedisk" -q --dist dist -o ja game Quest "ゲーム物語"
check "Setup.ini carries the title in code page 932" ini_is ja/Setup.ini Quest "$(printf 'ゲーム物語' | iconv -f UTF-8 -t CP932)" 0

# Refusals: status 1, a message, and no output or staging folder left.
mkdir -p hollow/sub
cp -r one existing
while IFS='|' read -r why folder project title extra; do
    rm -rf refused refused.gamedisk-partial
    # shellcheck disable=SC2086
    "$gamedisk" -q --dist dist -o refused $extra "$folder" "$project" "$title" 2>err.txt
    status=$?
    check "refuses $why (status $status)" [ $status = 1 ]
    check "says why it refuses $why" [ -s err.txt ]
    check "leaves nothing behind when refusing $why" [ ! -e refused ] && [ ! -e refused.gamedisk-partial ]
done <<'CASES'
an empty project name|game||The Quest|
a project name with a separator|game|Quest/2|The Quest|
a project name with a colon|game|C:Quest|The Quest|
a project name ending in a blank|game|Quest |The Quest|
a device name as project|game|nul|The Quest|
an empty title|game|Quest||
a title with a question mark|game|Quest|Why?|
a title ending in a dot|game|Quest|The Quest.|
a title the code page lacks|game|Quest|Château|
a missing game folder|nowhere|Quest|The Quest|
a game folder without files|hollow|Quest|The Quest|
a disk too small for the installer|game|Quest|The Quest|-s 4000
CASES
"$gamedisk" -q --dist dist -o existing game Quest "The Quest" 2>/dev/null
check "refuses to overwrite an existing output without --force" [ $? = 1 ] && cmp -s existing/Quest.lzh one/Quest.lzh
"$gamedisk" -q --dist dist -o existing -f -s 1440k game Quest "The Quest"
check "--force replaces an existing output" [ -f existing/Disk1/Quest.001 ] && [ ! -e existing/Quest.lzh ]
"$gamedisk" -q --dist missing -o nodist game Quest "The Quest" 2>err.txt
check "refuses a dist folder without the installer" [ $? = 1 ] && [ ! -e nodist ] && grep -q "Setup.exe" err.txt

# A folder without the game runtime is packed, with a warning.
rm game/ZORV_RT.exe
"$gamedisk" -q --dist dist -o noruntime game Quest "The Quest" 2>err.txt
check "packs a game without its runtime" [ $? = 0 ] && [ -f noruntime/Quest.lzh ]
check "warns that ZORV_RT.exe is missing" grep -q "ZORV_RT.exe" err.txt

echo "$passes passed, $failures failed"
[ $failures = 0 ]
