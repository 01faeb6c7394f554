#!/usr/bin/env bash
# The editor's exit code is 0 however its window ends normally: File > 終了, the window's
# close box, and the end of the session (SIGTERM), also when that arrives while the editor is
# still starting. It runs on an X server of its own under a window manager, as on a desktop.
# Usage: MainWindowExit.sh TESSARY_EXECUTABLE DATA_FOLDER
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
require_tools openbox xprop xwininfo
start_window_manager || exit 1

untitled='^無題 - Tessary by Veldran$'

expect_exit() {
    editor_exit_code
    local code=$?
    [[ $code -eq 0 ]] || fail "$1: the editor ended with $code, expected 0"
}

# Whether the process catches SIGTERM yet. Before the editor's first lines run nothing can
# catch it, however soon that is on a busy machine, so the request is sent only after.
catches_termination() {
    local mask
    mask=$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status" 2>/dev/null) || return 1
    [[ -n $mask ]] && (((0x$mask >> 14) & 1))
}

# File > 終了 (Alt+F, E) of an unchanged note.
start_editor
if window=$(find_window "$untitled") && [[ -n "$window" ]]; then
    keys "$window" alt+f e
    expect_exit "File > 終了"
else
    fail "the editor showed no window"
fi

# The close box at the right end of the title bar that the window manager draws.
start_editor
if window=$(find_window "$untitled") && [[ -n "$window" ]]; then
    xdotool windowactivate --sync "$window" 2>/dev/null
    client_area "$window"
    read -r _ right top _ < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
    click_at $((X + WIDTH + right - 12)) $((Y - top / 2))
    window_gone "$window" || fail "the close box did not close the window"
    expect_exit "the close box"
else
    fail "the editor showed no window"
fi

# The end of the session, two seconds after start and at once.
for delay in 2 0; do
    start_editor
    for _ in $(seq 600); do
        catches_termination "$editor_pid" && break
        sleep 0.05
    done
    sleep "$delay"
    kill -TERM "$editor_pid"
    expect_exit "SIGTERM ${delay}s after the editor caught it"
done
finish "main window exit"
