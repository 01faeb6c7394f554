#!/usr/bin/env bash
# The editor ends with exit code 2 when its window is closed, also when the close request
# arrives while it is still starting.
# Usage: MainWindowExit.sh TESSARY_EXECUTABLE DATA_FOLDER
set -u
tessary=$1
export QT_QPA_PLATFORM=offscreen

close_after() {
    local delay=$1
    "$tessary" &
    local pid=$!
    sleep "$delay"
    kill -TERM "$pid"
    wait "$pid"
    local code=$?
    if [[ $code -ne 2 ]]; then
        echo "closed after ${delay}s: exit code $code, expected 2"
        return 1
    fi
}

close_after 2 && close_after 0.3
