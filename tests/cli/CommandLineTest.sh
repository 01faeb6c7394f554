#!/usr/bin/env bash
# The program's command line as a user types it: --help and --version, unknown options at every
# entry point (the usage, exit 2 and never a window), --new-note with its exit codes and the
# note it writes, the page size the commands take from the settings, and one warning for each
# image that does not load.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
data=$(realpath "$2")/export
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# The settings of this test alone, empty until a case writes them.
export XDG_CONFIG_HOME="$work/config"
source "$(dirname "$0")/lib/checks.bash"
require_tools convert identify pdfinfo timeout

# run EXPECTED_CODE ARGUMENTS...: runs the program with a time limit (a window, which the
# commands must never open, would wait for the user) and keeps its output.
run() {
    local expected=$1
    shift
    timeout 60 "$tessary" "$@" >"$work/stdout" 2>"$work/stderr"
    local code=$?
    [[ $code -eq $expected ]] || fail "'$*' exited with $code, expected $expected: $(cat "$work/stderr")"
}

expect_size() {
    local size
    size=$(identify -format '%wx%h' "$1")
    [[ "$size" == "$2" ]] || fail "$(basename "$1") is $size, expected $2"
}

# The FileName values of a note, one per line, without the trims.
image_paths() {
    tr -d '\r' <"$1" | sed -n 's/^FileName=\(.*\),[^,]*,[^,]*,[^,]*,[^,]*$/\1/p'
}

page_count() {
    local separators
    separators=$(tr -d '\r' <"$1" | grep -cx -- '-')
    echo $((separators + 1))
}

convert -size 400x200 xc:'#0000ff' "$work/wide.png"
convert -size 100x300 xc:'#00ff00' "$work/tall.png"
head -c 30 "$work/wide.png" >"$work/cut.png"
echo "not a picture" >"$work/text.png"

# --help and --version answer on stdout.
run 0 --help
grep -q -- '--new-note OUT.tsy' "$work/stdout" || fail "--help does not show --new-note: $(cat "$work/stdout")"
grep -q -- '--export-pdf OUT.pdf' "$work/stdout" || fail "--help does not show --export-pdf"
[[ -s "$work/stderr" ]] && fail "--help wrote on stderr: $(cat "$work/stderr")"
run 0 --version
grep -qx 'tessary [0-9]*\.[0-9]*\.[0-9]*' "$work/stdout" || fail "--version printed '$(cat "$work/stdout")'"

# An unknown option anywhere gives the usage on stderr and exit 2; nothing is written.
refused() {
    run 2 "$@"
    grep -q '^usage' "$work/stderr" || fail "'$*' printed no usage: $(cat "$work/stderr")"
    [[ -s "$work/stdout" ]] && fail "'$*' wrote on stdout"
}
refused --foo
refused --
refused "$work/wide.png" --foo
refused --export --foo
refused --export "$work/x.png" --foo 1 "$data/images.tsy"
refused --export-pdf "$work/x.pdf" --page 1 "$data/images.tsy"
refused --publish "$work/p/p.tsy" --bar "$data/images.tsy"
refused --new-note "$work/n.tsy" --baz "$work/wide.png"
refused --new-note --size 10x10 "$work/n.tsy" "$work/wide.png"
for written in x.png x.pdf p n.tsy; do
    [[ -e "$work/$written" ]] && fail "a refused command wrote $written"
done

# --new-note: every image on a page of its own, fitted to the page; the note exports as made.
run 0 --new-note "$work/two.tsy" --size 400x300 "$work/wide.png" "$work/tall.png"
[[ -s "$work/stderr" ]] && fail "--new-note of good images wrote on stderr: $(cat "$work/stderr")"
[[ $(page_count "$work/two.tsy") -eq 2 ]] || fail "two.tsy has $(page_count "$work/two.tsy") pages, expected 2"
[[ "$(image_paths "$work/two.tsy")" == "$work/wide.png"$'\n'"$work/tall.png" ]] \
    || fail "two.tsy names $(image_paths "$work/two.tsy")"
if run 0 --export "$work/tall-page.png" --page 2 --size 400x300 "$work/two.tsy"; then
    # 100 x 300 fitted to 400 x 300: full height, centred.
    expect_pixel "$work/tall-page.png" 200 150 0,255,0
    expect_pixel "$work/tall-page.png" 160 5 0,255,0
    expect_pixel "$work/tall-page.png" 140 150 255,255,255
    expect_pixel "$work/tall-page.png" 260 150 255,255,255
fi

# Relative image paths are taken from the folder the command runs in.
(cd "$work" && timeout 60 "$tessary" --new-note relative.tsy wide.png) || fail "--new-note with a relative path failed"
[[ "$(image_paths "$work/relative.tsy")" == "$work/wide.png" ]] || fail "relative.tsy names $(image_paths "$work/relative.tsy")"

# Images that cannot be read: one line each naming it, the others placed, exit 1.
run 1 --new-note "$work/some.tsy" "$work/missing.png" "$work/wide.png" "$work/cut.png" "$work/text.png" "$work/tall.png"
# (The PNG library may add a line of its own for the cut file.)
[[ $(grep -c '^tessary: ' "$work/stderr") -eq 3 ]] || fail "expected 3 lines for 3 unreadable images: $(cat "$work/stderr")"
for name in missing.png cut.png text.png; do
    grep -q "cannot read the image $work/$name: " "$work/stderr" || fail "$name is not named: $(cat "$work/stderr")"
done
grep -q "missing.png: the file does not exist" "$work/stderr" || fail "no reason for the missing image: $(cat "$work/stderr")"
[[ "$(image_paths "$work/some.tsy")" == "$work/wide.png"$'\n'"$work/tall.png" ]] \
    || fail "some.tsy names $(image_paths "$work/some.tsy")"

# Nothing readable: no note, so an existing one is not replaced by an empty one.
cp "$work/two.tsy" "$work/kept.tsy"
run 1 --new-note "$work/kept.tsy" "$work/missing.png" "$work/text.png"
cmp -s "$work/two.tsy" "$work/kept.tsy" || fail "a note of no images replaced kept.tsy"

# Wrong arguments and no images: exit 2.
run 2 --new-note "$work/none.tsy"
run 2 --new-note
run 2 --new-note "$work/bad.tsy" --size 0x10 "$work/wide.png"
run 2 --new-note "$work/note.txt" "$work/wide.png"
cp "$work/wide.png" "$work/picture.tsy"
run 2 --new-note "$work/picture.tsy" "$work/picture.tsy"
cmp -s "$work/wide.png" "$work/picture.tsy" || fail "--new-note wrote over its own image"
[[ -e "$work/none.tsy" || -e "$work/bad.tsy" || -e "$work/note.txt" ]] && fail "a refused --new-note wrote a note"

# Without settings the commands make pages of 800 x 600.
run 0 --new-note "$work/default.tsy" "$work/wide.png"
run 0 --export "$work/default.png" "$work/default.tsy"
expect_size "$work/default.png" 800x600
# 400 x 200 fitted to 800 x 600: full width, centred between white bands.
expect_pixel "$work/default.png" 400 50 255,255,255
expect_pixel "$work/default.png" 400 300 0,0,255

# With the window's page size kept, the commands take it: the wide picture fills a page of
# 1000 x 500 exactly, and the PDF's pages are 1000 x 500 pixels at 96 dpi.
mkdir -p "$XDG_CONFIG_HOME/Tessary"
printf '[Page]\nSize=@Size(1000 500)\n' >"$XDG_CONFIG_HOME/Tessary/Tessary.ini"
run 0 --new-note "$work/kept-size.tsy" "$work/wide.png"
run 0 --export "$work/kept-size.png" "$work/kept-size.tsy"
expect_size "$work/kept-size.png" 1000x500
expect_pixel "$work/kept-size.png" 3 3 0,0,255
expect_pixel "$work/kept-size.png" 996 496 0,0,255
run 0 --export-pdf "$work/kept-size.pdf" "$work/kept-size.tsy"
grep -q 'Page size: *750 x 375 pts' <(pdfinfo "$work/kept-size.pdf") \
    || fail "the PDF page is not 1000 x 500 at 96 dpi: $(pdfinfo "$work/kept-size.pdf" | grep 'Page size')"
# A size given wins.
run 0 --export "$work/given.png" --size 320x200 "$work/kept-size.tsy"
expect_size "$work/given.png" 320x200
rm -r "$XDG_CONFIG_HOME"

# Exports and publish name each image that does not load and still succeed.
run 0 --export "$work/page.png" "$data/images.tsy"
[[ $(wc -l <"$work/stderr") -eq 1 ]] && grep -q "cannot read the image $data/missing.png: the file does not exist" "$work/stderr" \
    || fail "--export did not warn once about missing.png: $(cat "$work/stderr")"
[[ -s "$work/page.png" ]] || fail "--export with a missing image wrote no page"
run 0 --export-pdf "$work/note.pdf" "$data/images.tsy"
[[ $(wc -l <"$work/stderr") -eq 1 ]] && grep -q "missing.png" "$work/stderr" \
    || fail "--export-pdf did not warn once about missing.png: $(cat "$work/stderr")"
run 0 --publish "$work/pub/note.tsy" "$data/images.tsy"
[[ $(wc -l <"$work/stderr") -eq 1 ]] && grep -q "missing.png" "$work/stderr" \
    || fail "--publish did not warn once about missing.png: $(cat "$work/stderr")"
[[ -s "$work/pub/images/red.png" && -s "$work/pub/images/blue.jpg" ]] || fail "--publish left out the images that load"
# A damaged image is named too, also when it is copied.
mkdir -p "$work/damaged"
cp "$work/text.png" "$work/damaged/photo.png"
printf '[TSImage]\r\nFileName=photo.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n' >"$work/damaged/note.tsy"
run 0 --publish "$work/pub2/note.tsy" "$work/damaged/note.tsy"
grep -q "cannot read the image $work/damaged/photo.png: " "$work/stderr" || fail "--publish did not name the damaged image: $(cat "$work/stderr")"
[[ -s "$work/pub2/images/photo.png" ]] || fail "--publish did not copy the damaged image"
run 0 --export "$work/damaged.png" "$work/damaged/note.tsy"
grep -q "photo.png" "$work/stderr" || fail "--export did not name the damaged image: $(cat "$work/stderr")"

if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "the command line works"
