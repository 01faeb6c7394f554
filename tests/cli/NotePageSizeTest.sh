#!/usr/bin/env bash
# A note keeps the page size it was made for: a round picture placed with --new-note at
# 1920x1080 exports round and whole at other sizes and at its own size without --size, and
# the note file ends with its last page, so its PDF has no blank page.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
work=$(mktemp -d)
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
trap 'rm -rf "$work"' EXIT
require_tools convert identify pdfinfo timeout

red=255,0,0
white=255,255,255
convert -size 400x400 xc:white -fill red -draw "circle 200,200 200,0" "$work/round.png"
convert -size 300x200 xc:blue "$work/wide.png"

timeout 60 "$tessary" --new-note "$work/round.tsy" --size 1920x1080 "$work/round.png" \
    || fail "--new-note --size 1920x1080 failed"
head -c 40 "$work/round.tsy" | grep -q $'^\\[NotePage\\]\r$' || fail "round.tsy does not start with its page size: $(head -3 "$work/round.tsy")"
grep -q $'^Width=1920\r$' "$work/round.tsy" && grep -q $'^Height=1080\r$' "$work/round.tsy" \
    || fail "round.tsy does not keep 1920x1080: $(cat "$work/round.tsy")"

# expect_circle FILE CX CY R: red inside the circle just short of its edge in four directions
# and on the diagonals; white just past it, also where a square or an oval would still be red.
expect_circle() {
    local file=$1 cx=$2 cy=$3 r=$4 in out diagonal_in diagonal_out
    in=$((r - 8))
    out=$((r + 8))
    diagonal_in=$((r * 68 / 100))
    diagonal_out=$((r * 74 / 100))
    expect_pixel "$file" "$cx" "$cy" $red 40
    for point in "$((cx - in)) $cy" "$((cx + in)) $cy" "$cx $((cy - in))" "$cx $((cy + in))" \
        "$((cx - diagonal_in)) $((cy - diagonal_in))" "$((cx + diagonal_in)) $((cy + diagonal_in))"; do
        # shellcheck disable=SC2086
        expect_pixel "$file" $point $red 40
    done
    for point in "$((cx - diagonal_out)) $((cy - diagonal_out))" "$((cx + diagonal_out)) $((cy + diagonal_out))" \
        "$((cx + diagonal_out)) $((cy - diagonal_out))"; do
        # shellcheck disable=SC2086
        expect_pixel "$file" $point $white 40
    done
    if ((cx - out >= 0)); then expect_pixel "$file" $((cx - out)) "$cy" $white 40; fi
    if ((cy - out >= 0)); then expect_pixel "$file" "$cx" $((cy - out)) $white 40; fi
}

# Portrait: the circle fills the width, centred; a laptop screen: it fills the height.
for case in "1080x1350 540 675 540" "1366x768 683 384 384" "640x480 320 240 240"; do
    read -r size cx cy r <<<"$case"
    if timeout 60 "$tessary" --export "$work/$size.png" --size "$size" "$work/round.tsy"; then
        [[ $(identify -format '%wx%h' "$work/$size.png") == "$size" ]] || fail "the export at $size is $(identify -format '%wx%h' "$work/$size.png")"
        expect_circle "$work/$size.png" "$cx" "$cy" "$r"
    else
        fail "exporting round.tsy at $size failed"
    fi
done

# Without --size the note's own page size, not the kept one or 800x600.
if timeout 60 "$tessary" --export "$work/own.png" "$work/round.tsy"; then
    [[ $(identify -format '%wx%h' "$work/own.png") == 1920x1080 ]] || fail "the export without --size is $(identify -format '%wx%h' "$work/own.png")"
    expect_circle "$work/own.png" 960 540 540
else
    fail "exporting round.tsy at its own size failed"
fi

# A published copy keeps the page size.
if timeout 60 "$tessary" --publish "$work/pub/round.tsy" "$work/round.tsy" >/dev/null; then
    grep -q $'^Width=1920\r$' "$work/pub/round.tsy" || fail "the published note lost its page size: $(cat "$work/pub/round.tsy")"
else
    fail "publishing round.tsy failed"
fi

# Two pages: no separator after the last one, and a PDF of two pages at the note's size
# (96 dpi: 1920 x 1080 pixels are 1440 x 810 points).
timeout 60 "$tessary" --new-note "$work/two.tsy" --size 1920x1080 "$work/round.png" "$work/wide.png" \
    || fail "--new-note of two pictures failed"
[[ $(tail -c 5 "$work/two.tsy" | od -An -c | tr -d ' ') != '-\r\n\r\n' ]] || fail "two.tsy ends with a page separator"
[[ $(grep -c $'^-\r$' "$work/two.tsy") -eq 1 ]] || fail "two.tsy has $(grep -c $'^-\r$' "$work/two.tsy") separators, expected 1"
if timeout 60 "$tessary" --export-pdf "$work/two.pdf" "$work/two.tsy"; then
    pdf=$(pdfinfo "$work/two.pdf")
    grep -q '^Pages: *2$' <<<"$pdf" || fail "two.pdf: $(grep '^Pages' <<<"$pdf"), expected 2"
    grep -q '^Page size: *1440 x 810 pts' <<<"$pdf" || fail "two.pdf: $(grep '^Page size' <<<"$pdf")"
else
    fail "exporting two.tsy as PDF failed"
fi

# A note an older version saved with an empty last page ends with a separator: its PDF has no
# blank page either.
cp "$work/two.tsy" "$work/older.tsy"
printf -- '-\r\n\r\n' >>"$work/older.tsy"
if timeout 60 "$tessary" --export-pdf "$work/older.pdf" --size 800x600 "$work/older.tsy"; then
    grep -q '^Pages: *2$' <<<"$(pdfinfo "$work/older.pdf")" || fail "older.pdf: $(pdfinfo "$work/older.pdf" | grep '^Pages')"
else
    fail "exporting older.tsy as PDF failed"
fi

exit $((failures > 0))
