#!/usr/bin/env bash
# Exports whole notes as PDF from the command line and reads the PDF back with poppler: the
# page count and size, the pixels of a page rendered at the viewer's resolution, and the
# resolution of the pictures inside.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
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

if ((failures > 0)); then
    exit 1
fi
echo "PDF export: ok"
