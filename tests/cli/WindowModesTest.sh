#!/usr/bin/env bash
# The window modes on a real X server with a compositing manager, driven by the server's own
# keyboard and mouse: a picture opened from the command line, the transparent background
# (F7) and back, click-through from the menu and back through the switch window, and
# bottom-most with the transparent background. Each state is checked by the pixels read back
# from the screen: the page background shows the desktop exactly while F7 is on, and the
# window is painted in every combination.
# Usage: WindowModesTest.sh TESSARY_EXECUTABLE DATA_FOLDER
set -euo pipefail
tessary=$1

source "$(dirname "$0")/lib/XServer.sh"
require_tools Xvfb xcompmgr xdotool import convert

fail() {
    echo "FAIL: $*"
    [[ -f $work/shot.png ]] && cp "$work/shot.png" "${TMPDIR:-/tmp}/WindowModesTest-failure.png" \
        && echo "screen kept in ${TMPDIR:-/tmp}/WindowModesTest-failure.png"
    exit 1
}

start_server || fail "no X server could be started"
# Without a compositor nothing can be see-through; the page would stay opaque.
xcompmgr >"$work/xcompmgr.log" 2>&1 &
pids+=($!)
sleep 1
kill -0 "${pids[-1]}" 2>/dev/null || fail "the compositing manager did not start: $(cat "$work/xcompmgr.log")"

# A wide red picture: fitted to the page it leaves bands of page background above and below.
convert -size 400x100 xc:'#ff0000' "$work/wide.png"
QT_QPA_PLATFORM=xcb "$tessary" "$work/wide.png" >"$work/tessary.log" 2>&1 &
pids+=($!)

main_window() {
    # The title begins with the note's name ("無題" for a new note).
    timeout 20 xdotool search --sync --onlyvisible --name ' - Tessary by Veldran$' | tail -1
}
window=$(main_window) || fail "the window did not show"
eval "$(xdotool getwindowgeometry --shell "$window")"
menu_height=$((HEIGHT - 670))
# Probe points on the screen: the picture near the page's centre (beside the grid line through
# it), the page background 120 pixels above it, the margin beside the page and the tool bar.
centre_x=$((X + 350))
centre_y=$((Y + menu_height + 70 + 265))
picture="$centre_x $centre_y"
background="$centre_x $((centre_y - 120))"
margin="$((X + 60)) $centre_y"
toolbar="$((X + 300)) $((Y + menu_height + 35))"
desktop="2 2"

shoot() {
    import -window root "$work/shot.png"
}
colour_at() {
    convert "$work/shot.png" -format "%[hex:p{$1,$2}]" info:
}

# Waits until every probe shows its colour: pairs of probe name and colour, where the colour
# "desktop" is the colour the desktop shows and "painted" any colour but black and the
# desktop's.
expect() {
    local label=$1
    shift
    local attempt probe wanted actual desktop_colour mismatch
    for attempt in $(seq 40); do
        shoot
        desktop_colour=$(colour_at $desktop)
        mismatch=""
        local pairs=("$@")
        for ((i = 0; i < ${#pairs[@]}; i += 2)); do
            probe=${pairs[i]}
            wanted=${pairs[i + 1]}
            actual=$(colour_at ${!probe})
            case $wanted in
            desktop) [[ $actual == "$desktop_colour" ]] || mismatch+=" $probe=$actual (desktop $desktop_colour)" ;;
            painted) [[ $actual != "$desktop_colour" && $actual != 000000 ]] || mismatch+=" $probe=$actual" ;;
            *) [[ $actual == "$wanted" ]] || mismatch+=" $probe=$actual (wanted $wanted)" ;;
            esac
        done
        [[ -z $mismatch ]] && return 0
        sleep 0.1
    done
    fail "$label:$mismatch"
}

# The window painted, its page background white or showing the desktop.
expect_window() {
    expect "$1" picture FF0000 background "$2" margin EEEEEE toolbar painted
}

# Keys go to the window that has the focus; each mode makes a new native window.
press() {
    window=$(main_window) || fail "the window is gone"
    xdotool windowfocus --sync "$window"
    xdotool key "$@"
}

# Whether the pointer over the page reaches the main window.
pointer_reaches_window() {
    xdotool mousemove $picture
    sleep 0.2
    local under
    under=$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')
    [[ $under == "$(main_window)" ]]
}

expect_window "opened" FFFFFF
pointer_reaches_window || fail "the window does not take the pointer"

press F7
expect_window "transparent background" desktop
press F7
expect_window "transparent background off" FFFFFF

# Click-through from the view menu: it needs the transparent background too.
press F7
expect "transparent background again" background desktop
press alt+v
sleep 0.3
xdotool key r
switch=$(timeout 10 xdotool search --sync --onlyvisible --name '^Tessary$' | tail -1) || fail "no switch window"
expect_window "click-through" desktop
pointer_reaches_window && fail "the click-through window takes the pointer"

# The switch window's check box turns click-through off again.
eval "$(xdotool getwindowgeometry --shell "$switch")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Tessary$' >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^Tessary$' >/dev/null 2>&1 && fail "the switch window stays"
expect_window "click-through off" desktop
pointer_reaches_window || fail "the window does not take the pointer after click-through"

# Bottom-most with and without the transparent background.
press F9
expect_window "bottom-most, transparent" desktop
press F7
expect_window "bottom-most" FFFFFF
press F9
expect_window "back to normal" FFFFFF
# Full screen covers the screen with the page at a scale that fits it: the picture across the
# middle, the page background above it.
screen_picture="512 384"
screen_background="300 100"
press F5
expect "full screen" screen_picture FF0000 screen_background FFFFFF
press F7
expect "full screen, transparent" screen_picture FF0000 screen_background desktop
press F5
expect_window "full screen left, transparent" desktop
press F7
expect_window "all off" FFFFFF
echo "window modes: all states painted as expected on $DISPLAY"
