# Sourced: starts a private Xvfb display and exports DISPLAY; the caller
# stops it with stop_xvfb. Each window test gets a clean screen this way.
start_xvfb() {
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${XVFB_SIZE:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    DISPLAY=":$n"
    export DISPLAY
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
}

stop_xvfb() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}
