# For the tests that need a real X server: a work folder "work", an array "pids" of processes
# that are ended on exit, a check for the tools, and start_server, which starts an Xvfb server
# on a display number of its own and exports DISPLAY.

require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "$tool is missing: tools/deps.sh installs it"
            exit 1
        fi
    done
}

# Under AddressSanitizer: libxkbcommon-x11 copies X atom names, which are not
# NUL-terminated, with strndup and their length; strict string checks read on to a NUL and
# report an overflow where there is none, ending the editor as it connects to the display.
[[ -n ${ASAN_OPTIONS:-} ]] && export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
work=$(mktemp -d)
# The editor keeps recovery copies of its unsaved note here, not in the user's data folder.
export XDG_DATA_HOME="$work/data"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number of our own: tests run side by side, so a number another server holds (its
# lock file names that server's process) makes us try the next one. The screen is 1024 x 768
# unless a size is given ("1920x1080"). Sets server_pid.
start_server() {
    local display pid size=${1:-1024x768}
    for display in $(seq 120 199); do
        [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
        # -noreset: a server resets when its last client leaves and refuses connections while it
        # does, so the next client (the editor, the compositor) could find no display.
        Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            if [[ $(tr -d ' \n' 2>/dev/null <"/tmp/.X$display-lock") == "$pid" ]] \
                && DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1; then
                pids+=("$pid")
                server_pid=$pid
                export DISPLAY=":$display"
                return 0
            fi
            sleep 0.05
        done
        kill "$pid" 2>/dev/null || true
    done
    return 1
}
