#!/usr/bin/env bash
# Changes made with the keyboard survive a kill: the editor runs on an X server of its own,
# a page is deleted through the menu keys, the editor is killed (SIGKILL, then SIGTERM as at
# logout), started again, asked whether to restore and answered Yes with the Return key; the
# window then shows the changed note, checked by its title and its pixels.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
make_two_colour_note

# Waits until the editor's copy holds a note of so many pages.
wait_for_copy() {
    for _ in $(seq 300); do
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
    shown=$(settled_middle_colour "$window" "$colour")
    [[ "$shown" == "$colour" ]] || fail "$what: the page shows $shown, expected $colour"
}

# 1. Open the note, unlock it (Ctrl+L) and delete its first page (Alt+E, D); kill it.
start_editor "$work/note.tsy"
window=$(find_window '^note\.tsy - Tessary by Veldran$')
[[ -n "$window" ]] || { fail "the note did not open"; exit 1; }
[[ "$(settled_middle_colour "$window" 255,0,0)" == "255,0,0" ]] || fail "the opened note does not show its red page"
keys "$window" ctrl+l alt+e d
[[ -n "$(find_window '^\*note\.tsy - Tessary by Veldran$')" ]] || fail "the title does not show the change"
wait_for_copy 1
kill -KILL "$editor_pid"
editor_exit_code

# A write killed midway leaves its hidden temporary behind; the next start removes those of
# the editor's own folders whose writer has ended, and keeps one of a process that runs.
dead=$(sh -c 'echo $$')
clipboard="$XDG_DATA_HOME/Tessary/clipboard"
mkdir -p "$clipboard"
for folder in "$copies" "$clipboard"; do
    printf 'part' >"$folder/.killed.tsr.$dead-1f.tmp"
    printf 'part' >"$folder/.running.tsr.1-1f.tmp"
done

# 2. The deleted page stays deleted: the blue page is the first and only one.
restore_and_check "after SIGKILL" "0,0,255"
for folder in "$copies" "$clipboard"; do
    [[ -e "$folder/.killed.tsr.$dead-1f.tmp" ]] && fail "the start left the stale temporary in $folder"
    [[ -e "$folder/.running.tsr.1-1f.tmp" ]] || fail "the start removed the temporary of a running process in $folder"
    rm -f "$folder/.running.tsr.1-1f.tmp"
done
[[ $(ls "$copies"/*.tsr 2>/dev/null | wc -l) -eq 1 ]] || fail "the old copy was not replaced by the new editor's own"

# 3. Insert an empty page before it (Alt+E, I) and end the session with SIGTERM: the editor
#    keeps the change without asking and exits with code 0.
if [[ -n "$window" ]]; then
    keys "$window" alt+e i
    wait_for_copy 2
    kill -TERM "$editor_pid"
    editor_exit_code
    code=$?
    [[ $code -eq 0 ]] || fail "SIGTERM ended the editor with $code, expected 0"
    restore_and_check "after SIGTERM" "255,255,255"
    # 4. Nothing was changed since: a termination keeps the copy as it is. At the next start
    #    Escape puts the question off and keeps the copy; N declines it and deletes it.
    kill -TERM "$editor_pid"
    editor_exit_code
    for answer in Escape n; do
        start_editor
        question=$(find_window '^Tessary$')
        [[ -n "$question" ]] && keys "$question" "$answer"
        [[ -n "$(find_window '^無題 - Tessary by Veldran$')" ]] || fail "answering $answer does not start an empty note"
        count=$(ls "$copies"/*.tsr 2>/dev/null | wc -l)
        [[ $answer == n ]] && expected=0 || expected=1
        [[ $count -eq $expected ]] || fail "after $answer there are $count copies, expected $expected"
        kill -TERM "$editor_pid"
        editor_exit_code
    done
    [[ $(ls "$copies" | wc -l) -eq 0 ]] || fail "an unchanged editor left files behind: $(ls "$copies")"
fi
finish "recovery after SIGKILL and SIGTERM"
