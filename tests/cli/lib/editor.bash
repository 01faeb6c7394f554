# The editor on an X server of its own, driven with real keys; sourced after checks.bash by
# the whole-program tests that need a window. The sourcing script sets $tessary; this file
# makes $work, a data folder for the editor's recovery copies in $copies, and cleans up.
require_tools Xvfb xdotool import convert

# No call to the X server waits for ever: a tool stuck on a busy server (a sanitizer build on a
# loaded machine) is ended after thirty seconds, and the test goes on to say what it missed
# instead of holding the suite until its limit with nothing said.
xdotool() { timeout 30 xdotool "$@"; }
xprop() { timeout 30 xprop "$@"; }
xwininfo() { timeout 30 xwininfo "$@"; }

work=$(mktemp -d)
xvfb_pid=
editor_pid=

stop_all() {
    [[ -n "$editor_pid" ]] && kill -KILL "$editor_pid" 2>/dev/null
    [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap stop_all EXIT

# A display of our own: the first free number from 90 on (tests run two at a time, and
# developers use the low numbers).
start_own_display() {
    local number
    for number in $(seq 90 140); do
        [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
        # -noreset: a server resets when its last client leaves and refuses connections while it
        # does, so the next client (the editor) could find no display.
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        # Two tests may pick the same free number at once: the display is ours only when its
        # lock file names our server and the server answers.
        for _ in $(seq 100); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if [[ $(tr -d ' \n' 2>/dev/null <"/tmp/.X$number-lock") == "$xvfb_pid" ]] \
                && DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1; then
                export DISPLAY=":$number"
                return 0
            fi
            sleep 0.05
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    done
    echo "FAIL: no free display for Xvfb"
    return 1
}

start_own_display || exit 1
# Under AddressSanitizer: libxkbcommon-x11 copies X atom names, which are not
# NUL-terminated, with strndup and their length; strict string checks read on to a NUL and
# report an overflow where there is none, ending the editor as it connects to the display.
[[ -n ${ASAN_OPTIONS:-} ]] && export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
export QT_QPA_PLATFORM=xcb
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
copies="$XDG_DATA_HOME/Tessary/recovery"

start_editor() {
    "$tessary" "$@" >>"$work/editor.log" 2>&1 &
    editor_pid=$!
}

# Waits for the editor to end (killing it after thirty seconds) and answers its exit code.
editor_exit_code() {
    local code
    timeout 30 tail --pid="$editor_pid" -f /dev/null || kill -KILL "$editor_pid" 2>/dev/null
    wait "$editor_pid" 2>/dev/null
    code=$?
    editor_pid=
    return $code
}

# The visible window whose title matches, once it is there.
find_window() {
    timeout 30 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

# Gives the window the keyboard and presses the keys one after the other.
keys() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window"
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.3
    done
}

# The colour near the middle of a window, where the page is shown, as "r,g,b"; a little off
# the middle, where the grid has a line.
middle_colour() {
    local x y
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$((X + WIDTH / 2 + 25))
    y=$((Y + HEIGHT / 2 + 25))
    import -window root "$work/shot.png"
    pixel "$work/shot.png" "$x" "$y"
}

# The middle colour of a window once it is the one expected, or what it shows after about
# twenty seconds: the editor paints a little after its window shows.
settled_middle_colour() {
    local shown
    for _ in $(seq 40); do
        shown=$(middle_colour "$1")
        [[ "$shown" == "$2" ]] && break
        sleep 0.2
    done
    echo "$shown"
}

# A note of two pages, a red one and a blue one, each covered by its picture.
make_two_colour_note() {
    convert -size 64x48 xc:'#ff0000' "$work/red.png"
    convert -size 64x48 xc:'#0000ff' "$work/blue.png"
    printf '[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L0,T0,W4800,H4800\r\n\r\n-\r\n\r\n[TSImage]\r\nFileName=blue.png,0,0,0,0\r\nPos=L0,T0,W4800,H4800\r\n\r\n' >"$work/note.tsy"
}

# Shows what the editor wrote when the test failed, and ends with the test's result.
finish() {
    if ((failures > 0)); then
        echo "--- editor output"
        cat "$work/editor.log"
        exit 1
    fi
    echo "$1: ok"
}

# A window manager on the display, as on a desktop: it frames, places and activates windows,
# and keeps dialogs above their owners. Ends with the test.
start_window_manager() {
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    echo "FAIL: openbox did not start"
    return 1
}

# The client area of a window on the screen as X, Y, WIDTH and HEIGHT. Under a window
# manager xdotool's own answer counts the frame twice; xwininfo does not.
client_area() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    X=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    Y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    WIDTH=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
    HEIGHT=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
}

# The active window once its title matches, within about ten seconds (or the tenths of a
# second given); nothing otherwise.
active_window() {
    local window name
    for _ in $(seq "${2:-100}"); do
        window=$(xdotool getactivewindow 2>/dev/null) || window=
        if [[ -n "$window" ]]; then
            name=$(xdotool getwindowname "$window" 2>/dev/null) || name=
            [[ "$name" =~ $1 ]] && { echo "$window"; return 0; }
        fi
        sleep 0.1
    done
    return 1
}

# Waits for a window to close; false when it is still shown after about ten seconds.
window_gone() {
    for _ in $(seq 100); do
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1
    done
    return 1
}

# A left click at a point of the screen.
click_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.3
}

# A double click at a point of the screen.
double_click_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click --repeat 2 --delay 80 1
    sleep 0.3
}

# How many pixels of a colour ("#rrggbb") a screenshot holds inside a rectangle
# (X Y WIDTH HEIGHT of the screen).
colour_count() {
    local shot=$work/count.png
    import -window root "$shot"
    convert "$shot" -crop "${4}x${5}+${2}+${3}" +repage -alpha off -format %c histogram:info:- |
        awk -v colour="${1^^} " 'index(toupper($0), colour) { sub(":", "", $1); sum += $1 } END { print sum + 0 }'
}
