#!/usr/bin/env bash
# Changes made with the keyboard survive a kill: the editor runs on an X server of its own,
# a page is deleted through the menu keys, the editor is killed (SIGKILL, then SIGTERM as at
# logout), started again, asked whether to restore and answered Yes with the Return key; the
# window then shows the changed note, checked by its title and its pixels.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid=
editor_pid=

cleanup() {
    [[ -n "$editor_pid" ]] && kill -KILL "$editor_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/lib/checks.bash"
require_tools Xvfb xdotool import convert

# A display of our own: the first free number from 90 on (tests run two at a time, and
# developers use the low numbers).
for number in $(seq 90 140); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [[ -e /tmp/.X11-unix/X$number ]] && break
        sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && [[ -e /tmp/.X11-unix/X$number ]]; then
        export DISPLAY=":$number"
        break
    fi
    xvfb_pid=
done
[[ -n "$xvfb_pid" ]] || { echo "FAIL: no free display for Xvfb"; exit 1; }

export QT_QPA_PLATFORM=xcb
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
copies="$XDG_DATA_HOME/Tessary/recovery"

# A note of two pages, a red one and a blue one, each covered by its picture.
convert -size 64x48 xc:'#ff0000' "$work/red.png"
convert -size 64x48 xc:'#0000ff' "$work/blue.png"
printf '[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L0,T0,W4800,H4800\r\n\r\n-\r\n\r\n[TSImage]\r\nFileName=blue.png,0,0,0,0\r\nPos=L0,T0,W4800,H4800\r\n\r\n' >"$work/note.tsy"

start_editor() {
    "$tessary" "$@" >>"$work/editor.log" 2>&1 &
    editor_pid=$!
}

# The visible window whose title matches, once it is there.
find_window() {
    timeout 10 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

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

# Waits until the editor's copy holds a note of so many pages.
wait_for_copy() {
    for _ in $(seq 50); do
        grep -qax "pages $1" "$copies"/*.tsr 2>/dev/null && return 0
        sleep 0.1
    done
    fail "no recovery copy of $1 pages after the change"
    return 1
}

# Starts the editor without arguments, answers the restore question with Return (Yes) and
# checks that the changed note is back: its title and the colour of its page. Sets window.
restore_and_check() {
    local what=$1 colour=$2 question shown
    start_editor
    window=
    question=$(find_window '^Tessary$')
    [[ -n "$question" ]] || { fail "$what: no restore question"; return 1; }
    keys "$question" Return
    window=$(find_window '^\*note\.tsy - Tessary by Veldran$')
    [[ -n "$window" ]] || { fail "$what: the restored note is not shown as changed"; return 1; }
    sleep 0.5
    shown=$(middle_colour "$window")
    [[ "$shown" == "$colour" ]] || fail "$what: the page shows $shown, expected $colour"
}

# 1. Open the note, unlock it (Ctrl+L) and delete its first page (Alt+E, D); kill it.
start_editor "$work/note.tsy"
window=$(find_window '^note\.tsy - Tessary by Veldran$')
[[ -n "$window" ]] || { fail "the note did not open"; exit 1; }
[[ "$(middle_colour "$window")" == "255,0,0" ]] || fail "the opened note does not show its red page"
keys "$window" ctrl+l alt+e d
[[ -n "$(find_window '^\*note\.tsy - Tessary by Veldran$')" ]] || fail "the title does not show the change"
wait_for_copy 1
kill -KILL "$editor_pid"
wait "$editor_pid" 2>/dev/null

# 2. The deleted page stays deleted: the blue page is the first and only one.
restore_and_check "after SIGKILL" "0,0,255"
[[ $(ls "$copies"/*.tsr 2>/dev/null | wc -l) -eq 1 ]] || fail "the old copy was not replaced by the new editor's own"

# 3. Insert an empty page before it (Alt+E, I) and end the session with SIGTERM: the editor
#    keeps the change without asking and exits with code 2.
if [[ -n "$window" ]]; then
    keys "$window" alt+e i
    wait_for_copy 2
    kill -TERM "$editor_pid"
    wait "$editor_pid"
    code=$?
    [[ $code -eq 2 ]] || fail "SIGTERM ended the editor with $code, expected 2"
    restore_and_check "after SIGTERM" "255,255,255"
    # 4. Nothing was changed since: a termination keeps the copy as it is. At the next start
    #    Escape puts the question off and keeps the copy; N declines it and deletes it.
    kill -TERM "$editor_pid"
    wait "$editor_pid"
    for answer in Escape n; do
        start_editor
        question=$(find_window '^Tessary$')
        [[ -n "$question" ]] && keys "$question" "$answer"
        [[ -n "$(find_window '^無題 - Tessary by Veldran$')" ]] || fail "answering $answer does not start an empty note"
        count=$(ls "$copies"/*.tsr 2>/dev/null | wc -l)
        [[ $answer == n ]] && expected=0 || expected=1
        [[ $count -eq $expected ]] || fail "after $answer there are $count copies, expected $expected"
        kill -TERM "$editor_pid"
        wait "$editor_pid"
    done
    [[ $(ls "$copies" | wc -l) -eq 0 ]] || fail "an unchanged editor left files behind: $(ls "$copies")"
fi
editor_pid=

if ((failures > 0)); then
    echo "--- editor output"
    cat "$work/editor.log"
    exit 1
fi
echo "recovery after SIGKILL and SIGTERM: ok"
