# Shell functions: start_xvfb WxH DIR starts a private Xvfb on a free display
# number (chosen by the server itself) and exports DISPLAY; stop_xvfb ends it.
start_xvfb() {
    _fd_file=$(mktemp "$2/display.XXXXXX")
    Xvfb -displayfd 1 -screen 0 "${1}x24" -nolisten tcp -noreset >"$_fd_file" 2>/dev/null &
    XVFB_PID=$!
    _n=0
    while [ ! -s "$_fd_file" ]; do
        _n=$((_n + 1))
        if [ $_n -gt 200 ]; then echo "Xvfb did not start" >&2; return 1; fi
        sleep 0.05
    done
    DISPLAY=":$(head -n1 "$_fd_file")"
    export DISPLAY
    rm -f "$_fd_file"
}
stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}
