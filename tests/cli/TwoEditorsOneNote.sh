#!/usr/bin/env bash
# Two editors on one note, on an X server of their own under a window manager, driven with
# real keys: each deletes another page of the two-page note; the first saves with Ctrl+S; the
# second's Ctrl+S then asks before it writes over the first's save. キャンセル (Escape) writes
# nothing and keeps the second's changes; 上書き (Return) writes them.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
require_tools openbox
start_window_manager || exit 1
make_two_colour_note

first_pid=
trap 'if [[ -n "$first_pid" ]]; then kill -KILL "$first_pid" 2>/dev/null; fi; stop_all' EXIT

# The visible window of one editor whose title matches, once it is there.
window_of() {
    timeout 30 xdotool search --sync --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -1
}

# The pictures the note file names, in order, as "red blue".
note_pictures() {
    grep -o '[a-z]*\.png' "$work/note.tsy" | sed 's/\.png//' | tr '\n' ' ' | sed 's/ $//'
}

opened='^note\.tsy - Tessary by Veldran$'
changed='^\*note\.tsy - Tessary by Veldran$'

# The first editor deletes the red page (Ctrl+L unlocks the note, Alt+E, D deletes the page).
start_editor "$work/note.tsy"
first_pid=$editor_pid
first=$(window_of "$first_pid" "$opened")
[[ -n "$first" ]] || { fail "the first editor did not open the note"; finish "two editors on one note"; }
keys "$first" ctrl+l alt+e d
[[ -n "$(window_of "$first_pid" "$changed")" ]] || fail "the first editor shows no change"

# The second deletes the blue page (Page Down goes to it).
start_editor "$work/note.tsy"
second_pid=$editor_pid
second=$(window_of "$second_pid" "$opened")
[[ -n "$second" ]] || { fail "the second editor did not open the note"; finish "two editors on one note"; }
keys "$second" ctrl+l Next alt+e d
[[ -n "$(window_of "$second_pid" "$changed")" ]] || fail "the second editor shows no change"

# The first saves: nobody else wrote the file since it opened it, so nothing is asked.
keys "$first" ctrl+s
[[ -n "$(window_of "$first_pid" "$opened")" ]] || fail "the first editor's save did not take"
[[ "$(note_pictures)" == "blue" ]] || fail "the first editor saved '$(note_pictures)', expected 'blue'"
[[ -z "$(xdotool search --onlyvisible --name '^Tessary$' 2>/dev/null | head -1)" ]] \
    || fail "the first editor's save asked a question"

# The second saves: it is asked; キャンセル leaves the first's save and the second's changes.
keys "$second" ctrl+s
question=$(find_window '^Tessary$')
if [[ -n "$question" ]]; then
    keys "$question" Escape
    window_gone "$question" || fail "Escape did not close the question"
    [[ "$(note_pictures)" == "blue" ]] || fail "キャンセル wrote '$(note_pictures)' over the first's save"
    [[ -n "$(window_of "$second_pid" "$changed")" ]] || fail "after キャンセル the second editor's note is no longer changed"
else
    fail "the second editor's save over the first's asked nothing"
    xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null
fi

# Saving again asks again; 上書き (the default button, Return) writes the second's note.
keys "$second" ctrl+s
question=$(find_window '^Tessary$')
if [[ -n "$question" ]]; then
    keys "$question" Return
    window_gone "$question" || fail "Return did not close the question"
    [[ -n "$(window_of "$second_pid" "$opened")" ]] || fail "after 上書き the second editor's note still shows changes"
    [[ "$(note_pictures)" == "red" ]] || fail "上書き saved '$(note_pictures)', expected 'red'"
else
    fail "the second save of the second editor asked nothing"
fi

# Both end without a question, with exit code 0.
keys "$second" alt+f e
editor_exit_code
code=$?
[[ $code -eq 0 ]] || fail "the second editor ended with $code, expected 0"
editor_pid=$first_pid
first_pid=
keys "$first" alt+f e
editor_exit_code
code=$?
[[ $code -eq 0 ]] || fail "the first editor ended with $code, expected 0"
finish "two editors on one note"
