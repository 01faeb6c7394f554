#!/usr/bin/env bash
# The main window on small screens with a window manager (openbox), in the real program,
# driven by the X server's own mouse and keyboard:
# - on a 1280 x 720 screen at pixel ratio 1 and a 1920 x 1080 screen at ratio 2 the new
#   window and the smallest window fit the screen whole, frame included, page bar and all;
# - the window's place, size and maximized state are kept for the next run (closed with
#   File > Exit, maximized by a double click on its title bar);
# - Escape leaves full screen to the size the window had before, or to maximized.
# Usage: ScreenSizesTest.sh TESSARY_EXECUTABLE DATA_FOLDER
set -uo pipefail
tessary=$1

source "$(dirname "$0")/lib/XServer.sh"
require_tools Xvfb openbox xdotool xwininfo xprop
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# What the program keeps between runs stays in the test's folder.
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
editor_pid=
wm_pid=

# A screen of the size with a window manager on it, replacing the one before.
new_screen() {
    [[ -n "$wm_pid" ]] && kill "$wm_pid" 2>/dev/null
    [[ -n "${server_pid:-}" ]] && kill "$server_pid" 2>/dev/null
    wait 2>/dev/null
    start_server "$1" || { echo "FAIL: no X server could be started"; exit 1; }
    screen_width=${1%x*}
    screen_height=${1#*x}
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    pids+=("$wm_pid")
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "FAIL: the window manager did not start: $(cat "$work/openbox.log")"
    exit 1
}

# Starts the editor and waits for its window (in $window).
start() {
    "$tessary" >>"$work/editor.log" 2>&1 &
    editor_pid=$!
    pids+=("$editor_pid")
    window=$(timeout 20 xdotool search --sync --onlyvisible --name ' - Tessary by Veldran$' | tail -1)
    [[ -n "$window" ]] || { fail "the window did not show"; return 1; }
    sleep 1
}

# File > Exit, by keys; an unchanged note closes without a question.
quit() {
    xdotool windowfocus --sync "$window"
    xdotool key alt+f
    sleep 0.3
    xdotool key e
    timeout 20 tail --pid="$editor_pid" -f /dev/null || fail "the editor did not end"
    editor_pid=
}

# The position and size of an X window on the screen: "left top width height".
geometry_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^  Width:/ { w = $NF } /^  Height:/ { h = $NF } END { print x, y, w, h }'
}
# The window's client area, and the window with the frame the window manager put around it.
client() {
    geometry_of "$window"
}
frame() {
    geometry_of "$(xwininfo -tree -id "$window" | awk '/Parent window id/ { print $4 }')"
}

# Waits until the client area is the one expected, or a while; answers what it is.
settled_client() {
    local now
    for _ in $(seq 30); do
        now=$(client)
        [[ "$now" == "$1" ]] && break
        sleep 0.2
    done
    echo "$now"
}

expect_on_screen() {
    local left top width height
    read -r left top width height <<<"$(frame)"
    if ((left < 0 || top < 0 || left + width > screen_width || top + height > screen_height)); then
        fail "$1: the window ($width x $height at $left,$top) does not fit the $screen_width x $screen_height screen"
    fi
}

# The new window and the smallest window fit the screen.
check_small_screen() {
    new_screen "$1"
    QT_SCALE_FACTOR=$2 start || return
    expect_on_screen "a new window at ratio $2 on $1"
    xdotool windowsize "$window" 100 100
    sleep 1
    expect_on_screen "the smallest window at ratio $2 on $1"
    read -r _ _ width height <<<"$(client)"
    ((width < 1000 * $2 && height < 600 * $2)) || fail "the window did not shrink ($width x $height at ratio $2)"
    quit
}

check_small_screen 1280x720 1
check_small_screen 1920x1080 2

# Place and size, then the maximized state, kept for the next run.
new_screen 1280x720
start
xdotool windowmove --sync "$window" 90 60
xdotool windowsize --sync "$window" 1000 560
sleep 1
chosen=$(client)
quit
start
[[ "$(settled_client "$chosen")" == "$chosen" ]] || fail "the next window is at $(client), the last one was at $chosen"

# Full screen and back with Escape.
xdotool windowfocus --sync "$window"
xdotool key F11
[[ "$(settled_client "0 0 1280 720")" == "0 0 1280 720" ]] || fail "full screen covers $(client)"
xdotool key Escape
[[ "$(settled_client "$chosen")" == "$chosen" ]] || fail "Escape from full screen gives $(client), not $chosen"

# Maximized by a double click on the title bar, kept for the next run; full screen and back
# keeps it maximized.
read -r frame_left frame_top _ _ <<<"$(frame)"
read -r client_left client_top _ _ <<<"$(client)"
xdotool mousemove $((client_left + 300)) $(((frame_top + client_top) / 2)) click --repeat 2 --delay 100 1
sleep 1
read -r _ _ width height <<<"$(client)"
((width >= 1270)) || fail "the double click on the title did not maximize the window ($width x $height)"
maximized=$(client)
quit
start
[[ "$(settled_client "$maximized")" == "$maximized" ]] || fail "the next window is $(client), not maximized as $maximized"
xdotool windowfocus --sync "$window"
xdotool key F11
settled_client "0 0 1280 720" >/dev/null
xdotool key Escape
[[ "$(settled_client "$maximized")" == "$maximized" ]] || fail "Escape from full screen gives $(client), not maximized"
quit

if ((failures > 0)); then
    echo "--- editor output"
    cat "$work/editor.log"
    exit 1
fi
echo "ScreenSizesTest: ok"
