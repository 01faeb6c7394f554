#!/usr/bin/env bash
# The question before closing over unsaved changes, in the real program on an X server of its
# own: File > Exit with Alt+F, E; the question answered with Escape (Cancel), N (No) and
# Return (Yes: a note with a file is saved into it; a new note gets the save dialog, cancelled
# once and then given a name); no question for an unchanged note; and the whole note exported
# through File > PDF with Alt+F, X.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
require_tools pdfinfo
make_two_colour_note
cp "$work/note.tsy" "$work/original.tsy"

changed='^\*note\.tsy - Tessary by Veldran$'

# Opens the note and deletes its first page (Ctrl+L unlocks it, Alt+E, D deletes).
open_and_change() {
    start_editor "$work/note.tsy"
    window=$(find_window '^note\.tsy - Tessary by Veldran$')
    [[ -n "$window" ]] || { fail "the note did not open"; return 1; }
    keys "$window" ctrl+l alt+e d
    [[ -n "$(find_window "$changed")" ]] || fail "the title does not show the change"
}

# File > Exit and the answer to the question; false when no question came.
exit_and_answer() {
    keys "$window" alt+f e
    question=$(find_window '^Tessary$')
    [[ -n "$question" ]] || { fail "no question before closing over changes"; return 1; }
    keys "$question" "$@"
}

still_open() {
    sleep 0.5
    kill -0 "$editor_pid" 2>/dev/null || { fail "$1: the editor ended"; return 1; }
    [[ -n "$(find_window "$changed")" ]] || fail "$1: the changed note is no longer shown"
}

expect_exit() {
    editor_exit_code
    local code=$?
    [[ $code -eq 0 ]] || fail "$1: the editor ended with $code, expected 0"
}

# Cancel: the window stays. Yes: the note is saved into its own file, without a dialog, and
# the editor ends.
if open_and_change; then
    exit_and_answer Escape && still_open "Cancel"
    exit_and_answer Return
    sleep 1
    [[ -z "$(xdotool search --onlyvisible --name '^名前を付けて保存$' 2>/dev/null | head -1)" ]] \
        || fail "Yes asked for a name for a note that has one"
    expect_exit "Yes"
    [[ $(grep -c 'blue\.png,' "$work/note.tsy") -eq 1 && $(grep -c 'TSImage' "$work/note.tsy") -eq 1 ]] \
        || fail "Yes did not save the changed note: $(tr '\r\n' '  ' <"$work/note.tsy")"
    cp "$work/original.tsy" "$work/note.tsy"
fi

# A note without a file: Yes with the save dialog cancelled keeps the window; Yes with a name
# saves the note there and the editor ends.
start_editor "$work/blue.png"
window=$(find_window '^\*無題 - Tessary by Veldran$')
if [[ -n "$window" ]]; then
    changed='^\*無題 - Tessary by Veldran$'
    exit_and_answer Return && {
        dialog=$(find_window '^名前を付けて保存$')
        [[ -n "$dialog" ]] && keys "$dialog" Escape || fail "Yes shows no save dialog"
        still_open "a cancelled save"
    }
    exit_and_answer Return && {
        dialog=$(find_window '^名前を付けて保存$')
        if [[ -n "$dialog" ]]; then
            xdotool windowfocus --sync "$dialog"
            xdotool type --delay 20 "$work/saved.tsy"
            keys "$dialog" Return
        fi
    }
    expect_exit "Yes and saved"
    [[ -f "$work/saved.tsy" && $(grep -c 'blue\.png,' "$work/saved.tsy") -eq 1 ]] || fail "Yes did not save the new note"
    changed='^\*note\.tsy - Tessary by Veldran$'
else
    fail "an image on the command line gave no changed, untitled note"
fi

# No: the editor ends and the note file is as it was.
if open_and_change; then
    exit_and_answer n
    expect_exit "No"
    cmp -s "$work/note.tsy" "$work/original.tsy" || fail "No changed the note file"
fi
[[ $(ls "$copies"/*.tsr 2>/dev/null | wc -l) -eq 0 ]] || fail "closing left a recovery copy"

# An unchanged note: the PDF of both pages through the menu, then Exit without a question.
start_editor "$work/note.tsy"
window=$(find_window '^note\.tsy - Tessary by Veldran$')
if [[ -n "$window" ]]; then
    keys "$window" alt+f x
    dialog=$(find_window '^名前を付けて保存$')
    if [[ -n "$dialog" ]]; then
        xdotool windowfocus --sync "$dialog"
        xdotool type --delay 20 "$work/menu.pdf"
        keys "$dialog" Return
    else
        fail "File > PDF shows no save dialog"
    fi
    # The editor writes the PDF after the dialog has closed; a busy machine takes its time.
    for _ in $(seq 300); do
        pages=$(pdfinfo "$work/menu.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
        [[ -n "$pages" ]] && break
        sleep 0.1
    done
    [[ "$pages" == 2 ]] || fail "the PDF of the menu has '$pages' pages, expected 2"
    keys "$window" alt+f e
    expect_exit "an unchanged note"
else
    fail "the note did not open again"
fi
finish "close question"
