#!/usr/bin/env bash
# Notes the program did not write, named to the commands and to the editor: FIFOs and links to
# devices end at once with a reason instead of hanging or filling memory, a picture renamed to
# ".tsy" is refused and kept, LF line ends read like CR LF, a note reached through a link finds
# its images beside the file it names, and a name holding a backslash is read as it stands when
# such a file exists.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
out=$(mktemp -d)
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
require_tools convert /usr/bin/time timeout
trap 'rm -rf "$out"' EXIT

# Peak memory, in KiB, that a refused note may cost a command.
max_kib=$((100 * 1024))
# The editor shows its window (X connection, fonts, the page's buffers) before it refuses the
# note; reading the note into memory would cost gigabytes, so the bound still tells the two apart.
max_editor_kib=$((300 * 1024))

# expect_refused NOTE NOTICE COMMAND-ARGUMENTS...: exit 1 within seconds, one line on stderr
# that names the note and says why, little memory, and no output written.
expect_refused() {
    local note=$1 notice=$2 code peak
    shift 2
    timeout 20 /usr/bin/time -f %M -o "$out/peak" "$tessary" "$@" "$note" 2>"$out/stderr" >/dev/null
    code=$?
    ((code == 124)) && { fail "'$* $note' did not end within 20 seconds"; return; }
    [[ $code -eq 1 ]] || fail "'$* $note' exited with $code, expected 1: $(cat "$out/stderr")"
    [[ $(wc -l <"$out/stderr") -eq 1 ]] || fail "'$* $note' wrote other than one line: $(cat "$out/stderr")"
    grep -qF "$note: $notice" "$out/stderr" || fail "'$* $note' said: $(cat "$out/stderr")"
    peak=$(tail -n 1 "$out/peak")
    ((peak < max_kib)) || fail "'$* $note' took $peak KiB"
    [[ ! -e "$out/x.png" && ! -e "$out/x.pdf" && ! -e "$out/x.tsy" ]] || fail "'$* $note' wrote a file"
}

mkfifo "$out/fifo.tsy"
ln -s /dev/zero "$out/zero.tsy"
convert -size 40x30 xc:'#ff0000' "$out/red.png"
cp "$out/red.png" "$out/renamed.tsy"
special="ノートファイルではありません。フォルダーや特殊なファイルは開けません。"
for note in "$out/fifo.tsy" "$out/zero.tsy"; do
    expect_refused "$note" "$special" --export "$out/x.png"
    expect_refused "$note" "$special" --export-pdf "$out/x.pdf"
    expect_refused "$note" "$special" --publish "$out/x.tsy"
done
expect_refused "$out/renamed.tsy" "ノートファイルではありません。文字ではないデータを含んでいます。" --export "$out/x.png"
cmp -s "$out/red.png" "$out/renamed.tsy" || fail "the renamed picture changed"

# The same note with CR LF, LF and CR line ends gives the same picture.
page=$'[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L100,T100,W200,H100\r\n\r\n-\r\n\r\n[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L0,T0,W50,H50\r\n\r\n'
printf '%s' "$page" >"$out/crlf.tsy"
printf '%s' "$page" | sed 's/\r$//' >"$out/lf.tsy"
printf '%s' "$page" | tr -d '\n' >"$out/cr.tsy"
for ends in crlf lf cr; do
    for number in 1 2; do
        if "$tessary" --export "$out/$ends$number.png" --page "$number" "$out/$ends.tsy"; then
            cmp -s "$out/crlf$number.png" "$out/$ends$number.png" || fail "page $number of the $ends note differs"
        else
            fail "the $ends note did not export page $number"
        fi
    done
done
expect_pixel "$out/lf1.png" 150 150 255,0,0
expect_pixel "$out/lf1.png" 50 50 255,255,255
expect_pixel "$out/lf2.png" 25 25 255,0,0

# A published note reached through a link: its images are beside the file the link names.
mkdir -p "$out/desk"
"$tessary" --publish "$out/pub/trip.tsy" "$out/crlf.tsy" 2>"$out/stderr" || fail "publishing failed: $(cat "$out/stderr")"
grep -q 'FileName=images' "$out/pub/trip.tsy" || fail "the published note names its images elsewhere"
ln -s ../pub/trip.tsy "$out/desk/trip.tsy"
if "$tessary" --export "$out/linked.png" "$out/desk/trip.tsy" 2>"$out/stderr"; then
    [[ -s "$out/stderr" ]] && fail "the linked note warned: $(cat "$out/stderr")"
    expect_pixel "$out/linked.png" 150 150 255,0,0
else
    fail "exporting through the link failed: $(cat "$out/stderr")"
fi
"$tessary" --export-pdf "$out/linked.pdf" "$out/desk/trip.tsy" 2>"$out/stderr" && [[ ! -s "$out/stderr" ]] \
    || fail "the PDF of the linked note: $(cat "$out/stderr")"
if "$tessary" --publish "$out/again/trip.tsy" "$out/desk/trip.tsy" 2>"$out/stderr"; then
    [[ -s "$out/stderr" ]] && fail "publishing the linked note warned: $(cat "$out/stderr")"
    cmp -s "$out/again/images/red.png" "$out/red.png" || fail "the linked note's image was not copied"
else
    fail "publishing through the link failed: $(cat "$out/stderr")"
fi

# A backslash: the file of that very name when there is one, else a folder separator.
mkdir -p "$out/slash/a" "$out/slash/c"
convert -size 40x30 xc:'#0000ff' "$out/slash/a\\b.png"
cp "$out/red.png" "$out/slash/a/b.png"
cp "$out/red.png" "$out/slash/c/d.png"
printf '[TSImage]\r\nFileName=a\\b.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n[TSImage]\r\nFileName=c\\d.png,0,0,0,0\r\nPos=L200,T0,W100,H100\r\n\r\n' \
    >"$out/slash/note.tsy"
if "$tessary" --export "$out/slash.png" "$out/slash/note.tsy" 2>"$out/stderr"; then
    expect_pixel "$out/slash.png" 50 50 0,0,255
    expect_pixel "$out/slash.png" 250 50 255,0,0
else
    fail "the note with backslashes did not export: $(cat "$out/stderr")"
fi

# The editor named a FIFO or a link to a device shows why, within seconds, and stays usable:
# the message goes with Return and File > Exit ends the editor. Under a little memory.
source "$(dirname "$0")/lib/editor.bash"
trap 'stop_all; rm -rf "$out"' EXIT
for note in "$out/fifo.tsy" "$out/zero.tsy"; do
    /usr/bin/time -f %M -o "$work/peak" "$tessary" "$note" >>"$work/editor.log" 2>&1 &
    editor_pid=$!
    message=$(find_window '^Tessary$')
    if [[ -z "$message" ]]; then
        fail "the editor named $note showed no message"
        kill -KILL $(pgrep -P "$editor_pid") 2>/dev/null
        editor_exit_code
        continue
    fi
    keys "$message" Return
    window_gone "$message" || fail "the message about $note stayed"
    window=$(find_window 'Tessary by Veldran$')
    [[ -n "$window" ]] || fail "no editor window after the message about $note"
    [[ -n "$window" ]] && keys "$window" alt+f e
    editor_exit_code
    code=$?
    [[ $code -eq 0 ]] || fail "the editor named $note ended with $code, expected 0"
    peak=$(tail -n 1 "$work/peak")
    ((peak < max_editor_kib)) || fail "the editor named $note took $peak KiB"
    grep -q 'Segmentation\|Abort' "$work/editor.log" && fail "the editor named $note crashed"
done

finish BroughtNotesTest
