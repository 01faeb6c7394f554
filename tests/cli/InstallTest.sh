#!/usr/bin/env bash
# Installs the built program into a fresh prefix and checks what lands there: the program
# with its interface pictures beside it, the command in bin, the user guide, the desktop
# entry, the note file type and the icon, each listed in install_manifest.txt; the installed
# command runs from anywhere.
# Arguments: the tessary executable (in the top of its build folder) and the tests/data folder.
set -uo pipefail
build=$(dirname "$(realpath "$1")")
data=$(realpath "$2")/export
source=$(realpath "$(dirname "$0")/../..")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_file() {
    [[ -f "$prefix/$1" ]] || fail "$1 is not installed"
}

if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log"
    rm -f "$prefix.log"
    echo "FAIL: cmake --install"
    exit 1
fi
rm -f "$prefix.log"

# The program and its pictures.
program=$(realpath "$prefix/bin/tessary" 2>/dev/null)
[[ -x "$program" && "$program" == "$prefix/lib/tessary/tessary" ]] \
    || fail "bin/tessary does not lead to lib/tessary/tessary (it leads to '$program')"
[[ -L "$prefix/bin/tessary" && "$(readlink "$prefix/bin/tessary")" != /* ]] \
    || fail "bin/tessary is not a relative link, so the prefix cannot move"
for picture in "$source"/resources/resource/*.png; do
    expect_file "lib/tessary/resource/$(basename "$picture")"
done

# The guide and its pictures.
expect_file share/tessary/guide.md
for picture in "$source"/docs/guide/*.png; do
    expect_file "share/tessary/guide/$(basename "$picture")"
done

# The install lists every file it wrote, the link included, and wrote nothing else.
sort "$build/install_manifest.txt" >"$prefix.listed"
find "$prefix" ! -type d | sort >"$prefix.found"
if ! cmp -s "$prefix.listed" "$prefix.found"; then
    fail "install_manifest.txt and the installed files differ: $(diff "$prefix.listed" "$prefix.found" | head -10)"
fi
rm -f "$prefix.listed" "$prefix.found"

# The desktop's files.
desktop=share/applications/tessary.desktop
expect_file "$desktop"
expect_file share/mime/packages/tessary.xml
expect_file share/icons/hicolor/256x256/apps/tessary.png
cmp -s "$source/resources/resource/icon.png" "$prefix/share/icons/hicolor/256x256/apps/tessary.png" \
    || fail "the icon is not the program's icon"
grep -qx 'Exec=tessary %F' "$prefix/$desktop" || fail "the desktop entry does not open files with tessary %F"
grep -qx 'Icon=tessary' "$prefix/$desktop" || fail "the desktop entry does not name the icon"
mime_types=$(sed -n 's/^MimeType=//p' "$prefix/$desktop")
for type in application/x-tessary-note image/jpeg image/png image/gif image/bmp image/tiff; do
    [[ ";$mime_types" == *";$type;"* ]] || fail "the desktop entry does not open $type"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/$desktop" || fail "desktop-file-validate refuses the desktop entry"
else
    echo "desktop-file-validate is not installed; the desktop entry is not validated"
fi
# The note type, as the desktop's database reads it.
if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the note type"
    grep -q 'application/x-tessary-note:\*\.tsy' "$prefix/share/mime/globs2" || fail "the note type has no *.tsy glob"
fi

# The installed command works from another folder.
cd "$prefix" || exit 1
if "$prefix/bin/tessary" --export "$prefix/page.png" --size 40x30 "$data/images.tsy"; then
    [[ -s "$prefix/page.png" ]] || fail "the installed program wrote no page"
else
    fail "the installed program cannot export a page"
fi

if ((failures > 0)); then
    echo "$failures failures"
    exit 1
fi
echo "installed files are all in place"
