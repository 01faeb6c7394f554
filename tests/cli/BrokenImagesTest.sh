#!/usr/bin/env bash
# Images whose pixels do not come (cut short, broken inside, empty), pipes and missing files,
# through the commands: each is named on stderr in one line, the exit codes are those of the
# usage, and nothing waits for a pipe that nobody writes.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
out=$(mktemp -d)
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
trap 'rm -rf "$out"' EXIT
require_tools convert timeout

# run ARGUMENTS...: the program with a time limit; sets code and err (stderr's lines).
run() {
    timeout 60 "$tessary" "$@" 2>"$out/stderr" >/dev/null
    code=$?
    err=$(cat "$out/stderr")
    ((code == 124)) && fail "'$*' did not end"
}

# expect_named FILE REASON: exactly one line of the program on stderr, naming the file with the
# reason. (libpng itself writes a line of its own about a PNG file cut short.)
expect_named() {
    local lines
    lines=$(grep -vc '^libpng error' "$out/stderr")
    ((lines == 1)) || fail "$(basename "$1"): $lines lines on stderr: $err"
    grep -qF -- "$1: $2" "$out/stderr" || fail "$(basename "$1") not named with '$2': $err"
}

images=$out/images
mkdir -p "$images"
convert -size 100x100 'xc:rgb(0,0,200)' "$images/good.png"
# Detailed pictures, so that a cut lands in the middle of the coded pixels.
convert -size 400x400 xc:gray +noise Random -fill 'rgb(200,0,0)' -draw 'rectangle 0,0 399,199' "$images/red.jpg"
convert -size 400x400 xc:gray +noise Random "$images/noise.png"
convert -size 400x400 xc:gray +noise Random "$images/noise.webp"
cut_half() { head -c $(($(stat -c %s "$1") / 2)) "$1" >"$2"; }
cut_half "$images/red.jpg" "$images/cut.jpg"
cut_half "$images/noise.png" "$images/cut.png"
cut_half "$images/noise.webp" "$images/cut.webp"
# Markers out of order in the middle of the coded data; the file keeps its length.
cp "$images/red.jpg" "$images/broken.jpg"
middle=$(($(stat -c %s "$images/broken.jpg") / 2))
printf '\xff\xd3%.0s' {1..32} | dd of="$images/broken.jpg" bs=1 seek="$middle" conv=notrunc status=none
: >"$images/empty.jpg"
mkfifo "$images/pipe.jpg"

damaged="the file is damaged"
declare -A reasons=(
    [cut.jpg]=$damaged [broken.jpg]=$damaged [cut.png]=$damaged [cut.webp]=$damaged [empty.jpg]=$damaged
    [pipe.jpg]="not a regular file (a pipe, a device or the like)" [missing.jpg]="the file does not exist"
)

# --new-note: the good picture is placed, the other is named, the exit code is 1.
for name in "${!reasons[@]}"; do
    note=$out/new-$name.tsy
    run --new-note "$note" "$images/good.png" "$images/$name"
    ((code == 1)) || fail "--new-note with $name exited with $code: $err"
    expect_named "$images/$name" "${reasons[$name]}"
    [[ $(grep -c '^\[TSImage\]' "$note" 2>/dev/null) == 1 ]] || fail "--new-note with $name did not write one picture"
    grep -qF "$name" "$note" && fail "--new-note placed $name"
done
# Alone, nothing is placed and no note is written.
run --new-note "$out/none.tsy" "$images/cut.jpg"
((code == 1)) || fail "--new-note of a cut JPEG alone exited with $code"
[[ -e "$out/none.tsy" ]] && fail "--new-note wrote a note without pictures"
grep -qF "$images/cut.jpg: $damaged" "$out/stderr" || fail "the cut JPEG alone was not named: $err"
run --new-note "$out/good.tsy" "$images/good.png" "$images/red.jpg" "$images/noise.webp"
((code == 0)) || fail "--new-note of whole pictures exited with $code: $err"
[[ -z "$err" ]] || fail "--new-note of whole pictures said: $err"

# --export, --export-pdf and --publish: the page comes out with the gap, the picture is named,
# the exit code is 0. The good picture at the top left, the other to the right of it.
for name in "${!reasons[@]}"; do
    note=$out/page-$name.tsy
    printf '[TSImage]\r\nFileName=images/good.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n[TSImage]\r\nFileName=images/%s,0,0,0,0\r\nPos=L200,T0,W200,H200\r\n\r\n' \
        "$name" >"$note"
    run --export "$out/page-$name.png" --size 400x300 "$note"
    ((code == 0)) || fail "--export with $name exited with $code: $err"
    expect_named "$images/$name" "${reasons[$name]}"
    if [[ -f "$out/page-$name.png" ]]; then
        expect_pixel "$out/page-$name.png" 50 50 0,0,200 2
        # A cut JPEG used to come out red at the top, grey below; the gap is the page's white.
        expect_pixel "$out/page-$name.png" 300 20 255,255,255
    fi
    run --export-pdf "$out/page-$name.pdf" "$note"
    ((code == 0)) || fail "--export-pdf with $name exited with $code: $err"
    expect_named "$images/$name" "${reasons[$name]}"
    mkdir -p "$out/pub-$name"
    run --publish "$out/pub-$name/note.tsy" "$note"
    ((code == 0)) || fail "--publish with $name exited with $code: $err"
    expect_named "$images/$name" "${reasons[$name]}"
    # A damaged picture is copied as it is; a pipe and a missing file are not.
    if [[ -f "$images/$name" ]]; then
        cmp -s "$images/$name" "$out/pub-$name/images/$name" || fail "--publish did not copy $name as it is"
    else
        [[ -e "$out/pub-$name/images/$name" ]] && fail "--publish copied $name"
    fi
done

echo "$failures failure(s)"
((failures == 0))
