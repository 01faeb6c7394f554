#!/usr/bin/env bash
# Exports whole notes as PDF from the command line and reads the PDF back with poppler: the
# page count and size, the pixels of a page rendered at the viewer's resolution, and the
# resolution of the pictures inside.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
out=$(mktemp -d)
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
trap 'release_disks; rm -rf "$out"' EXIT
require_tools pdfinfo pdftoppm pdfimages convert

info_field() {
    pdfinfo "$1" 2>/dev/null | sed -n "s/^$2: *//p"
}

# A note of three pages: a small red picture on the first, an empty second page, and a large
# photograph shown at a quarter of its size on the third.
convert -size 64x48 xc:'#ff0000' "$out/red.png"
convert -size 1600x1200 gradient:'#00ff00-#0000ff' "$out/large.png"
printf '[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L100,T100,W200,H100\r\n\r\n-\r\n\r\n-\r\n\r\n[TSImage]\r\nFileName=large.png,0,0,0,0\r\nPos=L0,T0,W400,H300\r\n\r\n' >"$out/note.tsy"

if "$tessary" --export-pdf "$out/note.pdf" "$out/note.tsy"; then
    pages=$(info_field "$out/note.pdf" Pages)
    size=$(info_field "$out/note.pdf" "Page size")
    [[ "$pages" == 3 ]] || fail "the PDF has $pages pages, expected 3"
    [[ "$size" == "600 x 450 pts"* ]] || fail "the page size is '$size', expected 600 x 450 pts (800 x 600 at 96 dpi)"
    # At 96 dpi a PDF page has the viewer's pixels.
    pdftoppm -r 96 -png "$out/note.pdf" "$out/page"
    size=$(identify -format '%wx%h' "$out/page-1.png")
    [[ "$size" == 800x600 ]] || fail "page 1 renders at $size, expected 800x600"
    expect_pixel "$out/page-1.png" 150 150 255,0,0 2
    expect_pixel "$out/page-1.png" 50 50 255,255,255 2
    expect_pixel "$out/page-1.png" 350 150 255,255,255 2
    expect_pixel "$out/page-2.png" 400 300 255,255,255 2
    expect_pixel "$out/page-3.png" 200 2 0,255,0 2
    expect_pixel "$out/page-3.png" 500 400 255,255,255 2
    # The photograph goes in whole, not at the 400 x 300 pixels the screen shows.
    pdfimages -list "$out/note.pdf" | awk 'NR > 2 { print $4 "x" $5 }' >"$out/images"
    grep -qx 1600x1200 "$out/images" || fail "the photograph is not in the PDF at 1600x1200: $(tr '\n' ' ' <"$out/images")"
else
    fail "--export-pdf of the note failed"
fi

# The viewer size, the resolution and the background.
if "$tessary" --export-pdf "$out/small.pdf" --size 400x300 --dpi 120 --back 0 "$out/note.tsy"; then
    size=$(info_field "$out/small.pdf" "Page size")
    [[ "$size" == "240 x 180 pts"* ]] || fail "the page size is '$size', expected 240 x 180 pts"
    pdftoppm -r 120 -png -f 1 -l 1 "$out/small.pdf" "$out/small"
    expect_pixel "$out/small-1.png" 150 150 255,0,0 2
    expect_pixel "$out/small-1.png" 50 50 0,0,0 2
else
    fail "--export-pdf with --size, --dpi and --back failed"
fi

# expect_failure EXPECTED_CODE ARGUMENTS...: a non-zero exit and one line on stderr.
expect_failure() {
    local expected=$1 code lines
    shift
    "$tessary" --export-pdf "$@" 2>"$out/stderr" >/dev/null
    code=$?
    lines=$(wc -l <"$out/stderr")
    [[ $code -eq $expected ]] || fail "'$*' exited with $code, expected $expected: $(cat "$out/stderr")"
    # Wrong arguments are followed by the usage line.
    ((expected == 2)) && { tail -n 1 "$out/stderr" | grep -q '^usage: ' || fail "'$*' printed no usage"; lines=$((lines - 1)); }
    [[ $lines -eq 1 ]] || fail "'$*' wrote $lines lines on stderr: $(cat "$out/stderr")"
}
expect_failure 2 "$out/x.pdf"
expect_failure 2 "$out/x.pdf" --dpi 50 "$out/note.tsy"
expect_failure 2 "$out/x.pdf" --size 5000x10 "$out/note.tsy"
expect_failure 2 "$out/x.pdf" --page 1 "$out/note.tsy"
expect_failure 1 "$out/x.pdf" "$out/missing.tsy"
expect_failure 1 "$out/missing/x.pdf" "$out/note.tsy"

# Nothing the note reads is ever written over, and a name that is not a PDF's is refused:
# the files stay byte for byte, and nothing is left beside them.
ln -s note.tsy "$out/link.tsy"
cp "$out/note.tsy" "$out/note.before"
cp "$out/red.png" "$out/red.before"
expect_failure 2 "$out/note.tsy" "$out/note.tsy"
grep -q "it is the note itself" "$out/stderr" || fail "the refusal does not say it is the note: $(cat "$out/stderr")"
expect_failure 2 "$out/link.tsy" "$out/note.tsy"
expect_failure 2 "$out/red.png" "$out/note.tsy"
expect_failure 2 "$out/x.txt" "$out/note.tsy"
cmp -s "$out/note.tsy" "$out/note.before" || fail "the note changed"
cmp -s "$out/red.png" "$out/red.before" || fail "the note's image changed"
[[ -L "$out/link.tsy" ]] || fail "the link to the note was replaced"
[[ -e "$out/x.txt" ]] && fail "x.txt was written"
expect_entries "$out" images large.png link.tsy note.before note.pdf note.tsy page-1.png page-2.png page-3.png red.before red.png small-1.png small.pdf stderr

# A full disk keeps the old PDF whole and leaves no part of the new one.
convert -size 400x300 xc: +noise Random "$out/noise.png"
printf '[TSImage]\r\nFileName=noise.png,0,0,0,0\r\nPos=L0,T0,W400,H300\r\n\r\n' >"$out/noise.tsy"
full_disk "$out/full"
printf 'the old PDF' >"$out/full/old.pdf"
"${limited[@]}" "$tessary" --export-pdf "$out/full/old.pdf" "$out/noise.tsy" 2>"$out/stderr" >/dev/null
code=$?
[[ $code -eq 1 ]] || fail "--export-pdf onto a full disk exited with $code, expected 1: $(cat "$out/stderr")"
[[ $(wc -l <"$out/stderr") -eq 1 ]] || fail "--export-pdf onto a full disk wrote $(wc -l <"$out/stderr") lines on stderr"
[[ "$(cat "$out/full/old.pdf")" == 'the old PDF' ]] || fail "the old PDF changed on a full disk"
expect_entries "$out/full" old.pdf

# Past a file size limit the export fails like on a full disk instead of being ended by the
# signal the limit sends.
mkdir -p "$out/limit"
printf 'the old PDF' >"$out/limit/old.pdf"
(ulimit -f 64; exec env --default-signal=XFSZ "$tessary" --export-pdf "$out/limit/old.pdf" "$out/noise.tsy") 2>"$out/stderr" >/dev/null
code=$?
[[ $code -eq 1 ]] || fail "--export-pdf past a file size limit exited with $code, expected 1"
[[ "$(cat "$out/limit/old.pdf")" == 'the old PDF' ]] || fail "the old PDF changed past a file size limit"
expect_entries "$out/limit" old.pdf

# A folder that takes no new file keeps its old PDF.
prepare_locked "$out/locked"
printf 'the old PDF' >"$out/locked/old.pdf"
if lock_folder "$out/locked"; then
    expect_failure 1 "$out/locked/old.pdf" "$out/noise.tsy"
    [[ "$(cat "$out/locked/old.pdf")" == 'the old PDF' ]] || fail "the old PDF changed in a locked folder"
    expect_entries "$out/locked" old.pdf
else
    echo "skipped: no folder can be locked here"
fi

if ((failures > 0)); then
    exit 1
fi
echo "PDF export: ok"
