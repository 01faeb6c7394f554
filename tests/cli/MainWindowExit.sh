#!/usr/bin/env bash
# The editor ends with exit code 2 when its window is closed, also when the close request
# arrives while it is still starting.
# Usage: MainWindowExit.sh TESSARY_EXECUTABLE DATA_FOLDER
set -u
tessary=$1
export QT_QPA_PLATFORM=offscreen

# Whether the process catches SIGTERM yet. Before the editor's first lines run nothing can
# catch it, however soon that is on a busy machine, so the request is sent only after.
catches_termination() {
    local mask
    mask=$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status" 2>/dev/null) || return 1
    [[ -n $mask ]] && (((0x$mask >> 14) & 1))
}

close_after() {
    local delay=$1
    "$tessary" &
    local pid=$!
    for _ in $(seq 600); do
        catches_termination "$pid" && break
        sleep 0.05
    done
    sleep "$delay"
    kill -TERM "$pid"
    wait "$pid"
    local code=$?
    if [[ $code -ne 2 ]]; then
        echo "closed ${delay}s after it caught SIGTERM: exit code $code, expected 2"
        return 1
    fi
}

close_after 2 && close_after 0
