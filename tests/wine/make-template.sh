#!/bin/sh
# Builds the Wine prefix that every Windows test starts from (a copy of it),
# and the Japanese glibc locale that code page 932 runs need.
#   make-template.sh WINE_DIR
# WINE_DIR/template: the prefix; WINE_DIR/locale: the locale. Nothing is
# written under $HOME.
set -eu
wine_dir=$1
template=$wine_dir/template
[ -f "$template/.ready" ] && exit 0

W=/usr/lib/wine/wine64
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$template"
mkdir -p "$wine_dir"

if [ ! -d "$wine_dir/locale/ja_JP.UTF-8" ]; then
    mkdir -p "$wine_dir/locale"
    localedef -i ja_JP -f UTF-8 "$wine_dir/locale/ja_JP.UTF-8" 2>/dev/null || true
fi

export WINEPREFIX="$template" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
. "$here/xvfb.sh"
start_xvfb 1024x768 "$wine_dir"
trap 'stop_xvfb' EXIT

$W wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w

# Managed windows without a window manager hold every dialog 2 s after it closes.
$W reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

# The profile folders are links into $HOME: make them plain folders.
for d in Desktop Documents Downloads Music Pictures Videos Templates; do
    p="$template/drive_c/users/$(id -un)/$d"
    if [ -L "$p" ]; then rm "$p" && mkdir "$p"; fi
done

# Fixed test media, with relative links so that copies of the prefix work:
#   A: floppy labelled "3.5 FD"      B: floppy with no disk (missing folder)
#   D: CD-ROM labelled "SETUPCD"     E: floppy labelled "FD"
#   F: floppy labelled "3.5 Floppy"  G: fixed disk (a second hard disk)
media="$template/media"
mkdir -p "$media/a" "$media/d" "$media/e" "$media/f" "$media/g"
printf '3.5 FD\n' > "$media/a/.windows-label"
printf 'SETUPCD\n' > "$media/d/.windows-label"
printf 'FD\n' > "$media/e/.windows-label"
printf '3.5 Floppy\n' > "$media/f/.windows-label"
for l in a b d e f g; do
    ln -sfn "../media/$l" "$template/dosdevices/$l:"
done
for kv in a:floppy b:floppy d:cdrom e:floppy f:floppy g:hd; do
    $W reg add 'HKLM\Software\Wine\Drives' /v "${kv%%:*}:" /d "${kv#*:}" /f >/dev/null
done

/usr/lib/wine/wineserver -k
/usr/lib/wine/wineserver -w 2>/dev/null || true
touch "$template/.ready"
