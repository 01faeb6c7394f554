#!/usr/bin/env bash
# Publishes hand-written notes from the command line and checks the copies, their names, the
# rewritten image paths, and that a published note shows the same picture as its original.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
data=$(realpath "$2")/export
work=$(mktemp -d)
unset DISPLAY WAYLAND_DISPLAY
source "$(dirname "$0")/lib/checks.bash"
trap 'release_disks; rm -rf "$work"' EXIT

expect_file() {
    [[ -f "$1" ]] || fail "missing $1"
}

# The FileName values of a note, one per line, without line ends.
file_names() {
    grep '^FileName=' "$1" | tr -d '\r' | sed 's/^FileName=//'
}

# expect_failure EXPECTED_CODE ARGUMENTS...: the exit code and at least one line on stderr.
expect_failure() {
    local expected=$1 code
    shift
    "$tessary" --publish "$@" 2>"$work/stderr" >/dev/null
    code=$?
    [[ $code -eq $expected ]] || fail "'$*' exited with $code, expected $expected: $(cat "$work/stderr")"
    [[ -s "$work/stderr" ]] || fail "'$*' said nothing on stderr"
}

# A note beside its images: red.png on both pages (twice on the first), a picture in a sub
# folder, and one whose name differs from another source's only in case.
mkdir -p "$work/note/pics" "$work/note/other"
cp "$data/red.png" "$work/note/red.png"
cp "$data/images/blue.jpg" "$work/note/pics/blue.jpg"
cp "$data/red.png" "$work/note/other/Red.png"
printf '%s\r\n' \
    '[TSImage]' 'FileName=red.png,0.000000,0.000000,0.000000,0.000000' 'FolderPath=' 'Pos=L100,T100,W200,H100' '' \
    '[TSImage]' 'FileName=pics\blue.jpg,0.000000,0.000000,0.000000,0.000000' 'Rotate=1' 'Pos=L400,T100,W100,H200' '' \
    '-' '' \
    '[TSImage]' 'FileName=red.png,0.000000,0.000000,0.000000,0.000000' 'Pos=L0,T0,W50,H50' '' \
    '[TSImage]' 'FileName=other\Red.png,0.000000,0.000000,0.000000,0.000000' 'Pos=L60,T0,W50,H50' '' \
    >"$work/note/note.tsy"

# Source names.
if "$tessary" --publish "$work/pub/published.tsy" "$work/note/note.tsy"; then
    for name in red.png blue.jpg red_2.png Red_3.png; do
        expect_file "$work/pub/images/$name"
    done
    [[ $(ls "$work/pub/images" | wc -l) -eq 4 ]] || fail "source-name copies: $(ls "$work/pub/images")"
    expected=$'images\\red.png,0.000000,0.000000,0.000000,0.000000\nimages\\blue.jpg,0.000000,0.000000,0.000000,0.000000\nimages\\red_2.png,0.000000,0.000000,0.000000,0.000000\nimages\\Red_3.png,0.000000,0.000000,0.000000,0.000000'
    [[ "$(file_names "$work/pub/published.tsy")" == "$expected" ]] || fail "source-name FileName values: $(file_names "$work/pub/published.tsy")"
    grep -q '^FolderPath' "$work/pub/published.tsy" && fail "FolderPath kept"
    cmp -s "$work/note/pics/blue.jpg" "$work/pub/images/blue.jpg" || fail "blue.jpg copy differs"
    # Both pages look the same from the published note as from the original.
    for page in 1 2; do
        "$tessary" --export "$work/original$page.png" --page $page "$work/note/note.tsy" || fail "export of the original page $page"
        "$tessary" --export "$work/published$page.png" --page $page "$work/pub/published.tsy" || fail "export of the published page $page"
        differing=$(compare -metric AE "$work/original$page.png" "$work/published$page.png" null: 2>&1)
        [[ "$differing" == "0" ]] || fail "page $page differs after publishing in $differing pixels"
    done
else
    fail "publishing with source names failed"
fi

# Serial numbers; the existing folder is emptied only with --yes.
touch "$work/pub/images/stale.txt"
expect_failure 1 "$work/pub/published.tsy" --serial "$work/note/note.tsy"
expect_file "$work/pub/images/stale.txt"
if "$tessary" --publish "$work/pub/published.tsy" --serial --yes "$work/note/note.tsy"; then
    [[ "$(ls "$work/pub/images" | tr '\n' ' ')" == "001.png 002.jpg 003.png 004.png " ]] || fail "serial copies: $(ls "$work/pub/images")"
    [[ "$(file_names "$work/pub/published.tsy" | cut -d, -f1 | tr '\n' ' ')" == 'images\001.png images\002.jpg images\003.png images\004.png ' ]] \
        || fail "serial FileName values: $(file_names "$work/pub/published.tsy")"
else
    fail "publishing with serial numbers failed"
fi

# Another image folder name.
"$tessary" --publish "$work/pub2/n.tsy" --image-folder Bilder "$work/note/note.tsy" || fail "--image-folder failed"
expect_file "$work/pub2/Bilder/red.png"
[[ "$(file_names "$work/pub2/n.tsy" | head -1 | cut -d, -f1)" == 'Bilder\red.png' ]] || fail "--image-folder FileName: $(file_names "$work/pub2/n.tsy" | head -1)"

# Publishing the published note into its own folder would empty the folder of its images.
expect_failure 1 "$work/pub/again.tsy" --yes "$work/pub/published.tsy"
[[ $(ls "$work/pub/images" | wc -l) -eq 4 ]] || fail "the refused publish deleted images: $(ls "$work/pub/images")"
[[ -e "$work/pub/again.tsy" ]] && fail "the refused publish wrote a note"

# A missing source image is named on stderr; the rest is still published, and that succeeds.
rm "$work/note/other/Red.png"
"$tessary" --publish "$work/pub3/n.tsy" "$work/note/note.tsy" 2>"$work/stderr" || fail "a missing image failed the publish"
grep -q "Red.png" "$work/stderr" || fail "the missing image is not named: $(cat "$work/stderr")"
expect_file "$work/pub3/images/blue.jpg"
expect_file "$work/pub3/n.tsy"

# A note that cannot be written.
mkdir -p "$work/pub4/n.tsy"
cp "$data/red.png" "$work/note/other/Red.png"
expect_failure 1 "$work/pub4/n.tsy" "$work/note/note.tsy"

# Publishing never writes over the note or its images, also through a link: refused like a
# bad argument, every byte kept, nothing made.
cp -r "$work/note" "$work/note.before"
ln -s note.tsy "$work/note/link.tsy"
expect_failure 2 "$work/note/note.tsy" "$work/note/note.tsy"
expect_failure 2 "$work/note/link.tsy" "$work/note/note.tsy"
expect_failure 2 "$work/note/pics/blue.jpg" "$work/note/note.tsy"
rm "$work/note/link.tsy"
diff -r "$work/note.before" "$work/note" >/dev/null || fail "a refused publish changed the note's folder"
for name in . .. / '\' a/b; do
    expect_failure 2 "$work/pub6/n.tsy" --image-folder "$name" "$work/note/note.tsy"
done
[[ -e "$work/pub6" ]] && fail "a refused image folder name made $work/pub6"

# A note path that is a link publishes beside the file the link names.
mkdir -p "$work/real" "$work/links"
printf 'old' >"$work/real/n.tsy"
ln -s ../real/n.tsy "$work/links/n.tsy"
"$tessary" --publish "$work/links/n.tsy" "$work/note/note.tsy" || fail "publishing through a link failed"
expect_file "$work/real/images/blue.jpg"
[[ -L "$work/links/n.tsy" ]] || fail "the link to the published note was replaced"
[[ -e "$work/links/images" ]] && fail "the images went beside the link"

# Files of the former image folder that cannot be deleted are named; the new copies and the
# note are in place all the same.
mkdir -p "$work/pub7/images"
prepare_locked "$work/pub7/images/locked"
touch "$work/pub7/images/locked/stuck.png"
if lock_folder "$work/pub7/images/locked"; then
    expect_failure 1 "$work/pub7/n.tsy" --yes "$work/note/note.tsy"
    grep -q "stuck.png" "$work/stderr" || fail "the file left in the image folder is not named: $(cat "$work/stderr")"
    expect_file "$work/pub7/n.tsy"
    expect_file "$work/pub7/images/blue.jpg"
    [[ -e "$work/pub7/images/locked" ]] && fail "the former image folder's files are in the new one"
    # The locked folder moved with the former image folder; it is unlocked where it lies now.
    for moved in "$work"/pub7/.images.publish*/locked; do
        umount -l "$moved" 2>/dev/null || chmod 755 "$moved"
    done
else
    echo "skipped: no folder can be locked here"
fi

# A publish killed while it copies leaves the former published note and images whole, and the
# next publish clears away what it left. A large damaged picture is copied as it is, slowly:
# the publish is killed while the staging folder is being filled.
mkdir -p "$work/slow"
cp "$data/red.png" "$work/slow/red.png"
cp "$data/images/blue.jpg" "$work/slow/blue.jpg"
printf '[TSImage]\r\nFileName=%s,0,0,0,0\r\nPos=L0,T0,W40,H30\r\n\r\n' red.png blue.jpg >"$work/slow/slow.tsy"
"$tessary" --publish "$work/pub8/n.tsy" "$work/slow/slow.tsy" || fail "the first publish of the note failed"
cp -r "$work/pub8" "$work/pub8.before"
rm "$work/slow/blue.jpg"
head -c 600000000 /dev/zero >"$work/slow/blue.jpg"
"$tessary" --publish "$work/pub8/n.tsy" --yes "$work/slow/slow.tsy" >/dev/null 2>&1 &
publishing=$!
for _ in $(seq 200); do
    [[ -n $(ls -A "$work"/pub8/.images.publishing.* 2>/dev/null) ]] && break
    sleep 0.01
done
kill -KILL "$publishing"
wait "$publishing" 2>/dev/null
staging=$(ls -A "$work/pub8" | grep '^\.images\.publishing\.')
[[ -n "$staging" ]] || fail "the killed publish left no staging folder: $(ls -A "$work/pub8")"
diff -r -x '.images.publishing.*' "$work/pub8.before" "$work/pub8" >/dev/null || fail "the killed publish changed the published note or images"
rm "$work/slow/blue.jpg"
cp "$data/images/blue.jpg" "$work/slow/blue.jpg"
"$tessary" --publish "$work/pub8/n.tsy" --yes "$work/slow/slow.tsy" || fail "the publish after the killed one failed"
expect_entries "$work/pub8" images n.tsy
expect_entries "$work/pub8/images" blue.jpg red.png

# A full disk keeps the old published note and copies whole: the small copy is made, the
# one that does not fit is named and leaves nothing.
mkdir -p "$work/big"
head -c 300000 /dev/urandom >"$work/big/noise.png"
cp "$data/red.png" "$work/big/red.png"
printf '[TSImage]\r\nFileName=%s,0,0,0,0\r\nPos=L0,T0,W40,H30\r\n\r\n' red.png noise.png >"$work/big/big.tsy"
full_disk "$work/full"
printf 'the old note' >"$work/full/n.tsy"
"${limited[@]}" "$tessary" --publish "$work/full/n.tsy" --yes "$work/big/big.tsy" 2>"$work/stderr" >/dev/null
[[ $? -eq 1 ]] || fail "publishing onto a full disk did not fail: $(cat "$work/stderr")"
grep -q "noise.png" "$work/stderr" || fail "the copy that did not fit is not named: $(cat "$work/stderr")"
# The note is small enough to be written whole (naming the copy it should have); no part of
# the copy stays.
[[ "$(file_names "$work/full/n.tsy" | tr '\n' ' ')" == 'images\red.png,0,0,0,0 images\noise.png,0,0,0,0 ' ]] \
    || fail "the published note on a full disk: $(cat "$work/full/n.tsy")"
grep -q "red.png" "$work/stderr" && fail "the copy that fitted is named: $(cat "$work/stderr")"
expect_entries "$work/full" images n.tsy
expect_entries "$work/full/images" red.png
cmp -s "$work/big/red.png" "$work/full/images/red.png" || fail "the copy that fitted differs"

# A note that does not exist, and wrong arguments.
expect_failure 1 "$work/pub5/n.tsy" "$work/note/nothing.tsy"
expect_failure 2 "$work/pub5/n.tsy"
expect_failure 2 "$work/pub5/n.tsy" --bogus "$work/note/note.tsy"
expect_failure 2 "$work/pub5/n.tsy" --image-folder "$work/note/note.tsy"
expect_failure 2

if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "all publish checks passed"
