#!/usr/bin/env bash
# The about box on a real X server, driven by the server's own mouse: opened by the tool bar's
# logo button, it takes the clicks on its own OK button (the press that opened it held the
# mouse) and closes, and the main window takes clicks again.
# Usage: DialogWindowTest.sh TESSARY_EXECUTABLE DATA_FOLDER
set -euo pipefail
tessary=$1

source "$(dirname "$0")/lib/XServer.sh"
require_tools Xvfb xdotool

fail() {
    echo "FAIL: $*"
    exit 1
}

start_server || fail "no X server could be started"

QT_QPA_PLATFORM=xcb "$tessary" >"$work/tessary.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Tessary by Veldran$' | tail -1) \
    || fail "the main window did not show"
eval "$(xdotool getwindowgeometry --shell "$window")"
main_x=$X main_y=$Y main_width=$WIDTH

dialog_shown() {
    xdotool search --onlyvisible --name '^Tessary バージョン情報$' 2>/dev/null | tail -1
}

# The logo button at the right end of the tool bar, below the menu bar.
menu_height=$((HEIGHT - 670))
xdotool mousemove $((main_x + main_width - 50)) $((main_y + menu_height + 30)) click 1
dialog=""
for _ in $(seq 100); do
    dialog=$(dialog_shown) && [[ -n $dialog ]] && break
    sleep 0.05
done
[[ -n $dialog ]] || fail "the about box did not show"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
[[ $WIDTH -eq 300 && $HEIGHT -eq 190 ]] || fail "the about box is ${WIDTH}x$HEIGHT"

# OK, centred near the bottom of the box.
xdotool mousemove $((X + 150)) $((Y + 170)) click 1
for _ in $(seq 100); do
    [[ -z $(dialog_shown) ]] && break
    sleep 0.05
done
[[ -z $(dialog_shown) ]] || fail "OK did not close the about box"

# The main window takes clicks again: the logo opens the box once more.
xdotool mousemove $((main_x + main_width - 50)) $((main_y + menu_height + 30)) click 1
for _ in $(seq 100); do
    [[ -n $(dialog_shown) ]] && break
    sleep 0.05
done
[[ -n $(dialog_shown) ]] || fail "the main window ignores clicks after the about box closed"
echo "the about box opens from the logo, closes with its OK, and the main window takes clicks again"
