# Shell function for scripts that install from a disk set outside the tests:
# use_disk_prefix DIR DISK fresh|keep makes DIR/prefix from the test template
# (built in DIR/wine under a lock; `fresh` starts it over, `keep` reuses one
# made before), puts DISK on drive G: as the installer's disk would be, and
# exports WINEPREFIX and the quiet settings. W is the Wine loader to call.
use_disk_prefix() {
    _dir=$1
    flock "$_dir/template.lock" sh "$root/tests/wine/make-template.sh" "$_dir/wine"
    if [ "$3" = fresh ]; then rm -rf "$_dir/prefix"; fi
    [ -d "$_dir/prefix" ] || cp -a "$_dir/wine/template" "$_dir/prefix"
    export WINEPREFIX="$_dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
    ln -sfn "$2" "$WINEPREFIX/dosdevices/g:"
    W=/usr/lib/wine/wine64
}
