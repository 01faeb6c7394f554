#!/usr/bin/env bash
# Exports pages of hand-written notes from the command line and probes pixels of the pictures.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
data=$(realpath "$2")/export
out=$(mktemp -d)
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
trap 'release_disks; rm -rf "$out"' EXIT

expect_size() {
    local size
    size=$(identify -format '%wx%h' "$1")
    [[ "$size" == "$2" ]] || fail "$(basename "$1") is $size, expected $2"
}

# expect_failure EXPECTED_CODE ARGUMENTS...: a non-zero exit, one line on stderr, no crash.
expect_failure() {
    local expected=$1 code lines
    shift
    "$tessary" --export "$@" 2>"$out/stderr" >/dev/null
    code=$?
    lines=$(wc -l <"$out/stderr")
    [[ $code -eq $expected ]] || fail "'$*' exited with $code, expected $expected: $(cat "$out/stderr")"
    # Wrong arguments are followed by the usage line.
    ((expected == 2)) && { tail -n 1 "$out/stderr" | grep -q '^usage: ' || fail "'$*' printed no usage"; lines=$((lines - 1)); }
    [[ $lines -eq 1 ]] || fail "'$*' wrote $lines lines on stderr: $(cat "$out/stderr")"
}

# Page 1 at the default size: two red images (one turned a quarter), a missing one, white back.
if "$tessary" --export "$out/one.png" "$data/images.tsy"; then
    expect_size "$out/one.png" 800x600
    expect_pixel "$out/one.png" 150 150 255,0,0
    expect_pixel "$out/one.png" 99 150 255,255,255
    expect_pixel "$out/one.png" 299 199 255,0,0
    expect_pixel "$out/one.png" 300 150 255,255,255
    # 100 x 50 turned to 50 x 100 at L500,T100.
    expect_pixel "$out/one.png" 525 190 255,0,0
    expect_pixel "$out/one.png" 575 120 255,255,255
    expect_pixel "$out/one.png" 50 350 255,255,255
else
    fail "exporting page 1 failed"
fi

# Page 2 through a backslash path, black back, other size, every format.
for extension in png jpg gif bmp tif; do
    file="$out/two.$extension"
    if "$tessary" --export "$file" --page 2 --size 640x480 --back 0 "$data/images.tsy"; then
        expect_size "$file" 640x480
        expect_pixel "$file" 200 150 0,0,255 12
        expect_pixel "$file" 500 400 0,0,0 12
    else
        fail "exporting page 2 as $extension failed"
    fi
done

# A grey back level.
"$tessary" --export "$out/grey.png" --back 128 "$data/images.tsy" && expect_pixel "$out/grey.png" 700 500 128,128,128

# JPEG quality is taken without asking.
"$tessary" --export "$out/low.jpg" --quality 5 "$data/sections.tsy" \
    && "$tessary" --export "$out/high.jpg" --quality 100 "$data/sections.tsy" \
    && (($(stat -c %s "$out/low.jpg") < $(stat -c %s "$out/high.jpg"))) \
    || fail "JPEG quality makes no difference"

# BackBrush, BackGrid and Viewer sections; the item outside the viewer's group is not drawn.
if "$tessary" --export "$out/sections.png" "$data/sections.tsy"; then
    expect_pixel "$out/sections.png" 100 100 0,255,0
    expect_pixel "$out/sections.png" 500 100 255,255,255
    expect_pixel "$out/sections.png" 400 450 255,0,255
    expect_pixel "$out/sections.png" 200 300 255,0,255
    expect_pixel "$out/sections.png" 550 425 255,255,255
    expect_pixel "$out/sections.png" 650 425 255,0,0
else
    fail "exporting the sections note failed"
fi

# Text notes: one at the top left of its box, one centred both ways with its size half the box's
# height; an unknown section beside them draws nothing.
if "$tessary" --export "$out/texts.png" "$data/texts.tsy"; then
    expect_pixel "$out/texts.png" 148 148 0,0,255 12
    expect_pixel "$out/texts.png" 250 150 255,255,255
    expect_pixel "$out/texts.png" 550 395 255,0,0 12
    expect_pixel "$out/texts.png" 450 395 255,255,255
    expect_pixel "$out/texts.png" 650 395 255,255,255
else
    fail "exporting the texts note failed"
fi

# Mandelbrot pictures: the default view with the default colours, a view inside the set in its
# infinity colour, and an empty section that shows nothing. The export waits for the render.
if "$tessary" --export "$out/mandelbrot.png" "$data/mandelbrot.tsy"; then
    expect_pixel "$out/mandelbrot.png" 0 0 1,2,4
    expect_pixel "$out/mandelbrot.png" 200 150 0,0,0
    expect_pixel "$out/mandelbrot.png" 299 150 3,6,12
    expect_pixel "$out/mandelbrot.png" 500 100 0,255,0
    expect_pixel "$out/mandelbrot.png" 350 100 255,255,255
else
    fail "exporting the Mandelbrot note failed"
fi

# No display and no platform chosen: the export picks the off-screen one itself.
env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$tessary" --export "$out/nodisplay.png" "$data/images.tsy" \
    && expect_pixel "$out/nodisplay.png" 150 150 255,0,0 || fail "exporting without a display failed"

# Run from another folder: relative image paths still resolve against the note's folder.
(cd / && "$tessary" --export "$out/elsewhere.png" "$data/images.tsy") && expect_pixel "$out/elsewhere.png" 150 150 255,0,0

# A reduced image at a half-pixel position paints its last column; an image whose file breaks
# off after its header paints nothing, and the grey page shows through it.
convert -size 400x200 xc:red "$out/red400.png"
convert -size 400x200 xc: +noise Random "$out/noise.png"
head -c 1500 "$out/noise.png" >"$out/cut.png"
printf '[TSImage]\r\nFileName=red400.png,0,0,0,0\r\nPos=L200.5,T20,W200,H100\r\n\r\n[TSImage]\r\nFileName=cut.png,0,0,0,0\r\nPos=L400,T300,W200,H100\r\n\r\n' >"$out/edges.tsy"
if "$tessary" --export "$out/edges.png" --back 128 "$out/edges.tsy"; then
    expect_pixel "$out/edges.png" 400 40 255,0,0
    expect_pixel "$out/edges.png" 201 40 255,0,0
    expect_pixel "$out/edges.png" 200 40 128,128,128
    expect_pixel "$out/edges.png" 401 40 128,128,128
    expect_pixel "$out/edges.png" 500 350 128,128,128
    expect_pixel "$out/edges.png" 400 300 128,128,128
else
    fail "exporting the note with a broken image failed"
fi

# Failures: one line on stderr and a non-zero exit code, never a crash.
printf 'not a note\r\n' >"$out/plain.tsy"
expect_failure 1 "$out/x.png" "$data/missing.tsy"
expect_failure 1 "$out/x.png" "$data"
expect_failure 1 "$out/x.png" --page 3 "$data/images.tsy"
expect_failure 1 "$out/x.webp" "$data/images.tsy"
expect_failure 1 "$out/no/such/folder/x.png" "$data/images.tsy"
expect_failure 2 "$out/x.png" --size 10 "$data/images.tsy"
expect_failure 2 "$out/x.png" --back 300 "$data/images.tsy"
expect_failure 2 "$out/x.png" --frobnicate 1 "$data/images.tsy"
expect_failure 2 "$out/x.png"
expect_failure 2
[[ ! -e "$out/x.png" && ! -e "$out/x.webp" ]] || fail "a failed export left a file"

# The export never writes over its note or the note's images (a copy of the note here, so a
# fault cannot harm the test data): refused like a bad argument, every byte kept.
mkdir -p "$out/own/images"
cp "$data/images.tsy" "$data/red.png" "$out/own/"
cp "$data/images/blue.jpg" "$out/own/images/"
cp -r "$out/own" "$out/own.before"
ln -s images.tsy "$out/own/link.tsy"
expect_failure 2 "$out/own/images.tsy" "$out/own/images.tsy"
expect_failure 2 "$out/own/link.tsy" "$out/own/images.tsy"
expect_failure 2 "$out/own/red.png" "$out/own/images.tsy"
grep -q "red.png, an image of the note" "$out/stderr" || fail "the refusal does not name the image: $(cat "$out/stderr")"
expect_failure 2 "$out/own/images/blue.jpg" "$out/own/link.tsy"
expect_failure 2 "$out/own/missing.png" "$out/own/images.tsy"
cmp -s "$out/own/images.tsy" "$out/own.before/images.tsy" || fail "the note changed"
[[ -L "$out/own/link.tsy" ]] || fail "the link to the note was replaced"
cmp -s "$out/own/red.png" "$out/own.before/red.png" || fail "the note's image changed"
cmp -s "$out/own/images/blue.jpg" "$out/own.before/images/blue.jpg" || fail "the note's image in its folder changed"
expect_entries "$out/own" images images.tsy link.tsy red.png
expect_entries "$out/own/images" blue.jpg

# A full disk keeps the old picture whole.
full_disk "$out/full"
printf 'the old picture' >"$out/full/old.bmp"
"${limited[@]}" "$tessary" --export "$out/full/old.bmp" "$data/images.tsy" 2>"$out/stderr" >/dev/null
code=$?
[[ $code -eq 1 ]] || fail "--export onto a full disk exited with $code, expected 1: $(cat "$out/stderr")"
[[ "$(cat "$out/full/old.bmp")" == 'the old picture' ]] || fail "the old picture changed on a full disk"
expect_entries "$out/full" old.bmp

if ((failures > 0)); then
    echo "$failures failures"
    exit 1
fi
echo "all page export checks passed"
