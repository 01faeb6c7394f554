#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks its files and dependencies, unpacks it
# into a temporary root and runs the unpacked program there without a display.
# Arguments: the tessary executable (in the top of its build folder) and the tests/data folder.
set -uo pipefail
build=$(dirname "$(realpath "$1")")
data=$(realpath "$2")/export
source_dir=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/lib/checks.bash"
require_tools dpkg-deb dpkg strings identify

# The package is made from the release build; a sanitizer build carries its own run-time
# checks and the paths of its sources.
if grep -Eq '^TESSARY_SANITIZE:[A-Z]+=(ON|address|thread)$' "$build/CMakeCache.txt"; then
    echo "a sanitizer build is not packaged"
    exit 77
fi

if ! deb=$(bash "$source_dir/tools/package.sh" "$build" "$work/package" 2>"$work/package.log"); then
    cat "$work/package.log"
    echo "FAIL: tools/package.sh"
    exit 1
fi
version=$("$1" --version | sed -n 's/^tessary //p')
[[ "$(basename "$deb")" == "tessary_${version}_amd64.deb" ]] || fail "the package is named $(basename "$deb")"

# The control fields: the libraries the program links and what it loads at run time.
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == tessary ]] || fail "Package: $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version: $(field Version)"
[[ "$(field Architecture)" == amd64 ]] || fail "Architecture: $(field Architecture)"
[[ -n "$(field Maintainer)" && -n "$(field Description)" ]] || fail "no Maintainer or Description"
depends=", $(field Depends),"
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libgif7 zlib1g \
    qt6-qpa-plugins qt6-image-formats-plugins qt6-translations-l10n fonts-ipafont-gothic; do
    [[ "$depends" == *", $package "* || "$depends" == *", $package,"* ]] || fail "Depends lacks $package: $(field Depends)"
done

# The files: everything under /usr, the program with its pictures, the command, the desktop's
# files and the guide; no cache a package manager makes, nothing of the build machine.
dpkg-deb -c "$deb" | awk '{ print $6 ($7 == "->" ? " -> " $8 : "") }' | sed 's|^\./|/|' >"$work/contents"
expect_entry() {
    grep -qxF -- "$1" "$work/contents" || fail "the package lacks $1"
}
expect_entry "/usr/bin/tessary -> ../lib/tessary/tessary"
expect_entry /usr/lib/tessary/tessary
for picture in "$source_dir"/resources/resource/*.png; do
    expect_entry "/usr/lib/tessary/resource/$(basename "$picture")"
done
expect_entry /usr/share/applications/tessary.desktop
expect_entry /usr/share/mime/packages/tessary.xml
expect_entry /usr/share/icons/hicolor/256x256/apps/tessary.png
expect_entry /usr/share/tessary/guide.md
for picture in "$source_dir"/docs/guide/*.png; do
    expect_entry "/usr/share/tessary/guide/$(basename "$picture")"
done
outside=$(grep -v '^/usr/' "$work/contents" | grep -v '^/$')
[[ -z "$outside" ]] || fail "the package writes outside /usr: $outside"
caches=$(grep -E '^/usr/share/mime/[^/]+$|^/usr/share/mime/(application|image)/|mimeinfo\.cache$|icon-theme\.cache$' "$work/contents")
[[ -z "$caches" ]] || fail "the package holds caches that its triggers make: $caches"

# Unpacked anywhere, the program runs from its own place without a display.
root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
program="$root/usr/bin/tessary"
[[ "$("$program" --version)" == "tessary $version" ]] || fail "the unpacked program says '$("$program" --version)'"
if "$program" --export "$work/page.png" --size 400x300 "$data/images.tsy" 2>"$work/stderr"; then
    [[ "$(identify -format '%wx%h' "$work/page.png")" == 400x300 ]] || fail "the unpacked program exported a wrong page"
    expect_pixel "$work/page.png" 150 125 255,0,0
else
    fail "the unpacked program cannot export a page: $(cat "$work/stderr")"
fi
[[ -f "$root/usr/lib/tessary/../../share/tessary/guide.md" ]] || fail "the guide is not where the program looks"
leaks=$(strings "$root/usr/lib/tessary/tessary" | grep -F -e "$source_dir" -e "$build" | head -5)
[[ -z "$leaks" ]] || fail "the program holds paths of the build machine: $leaks"

if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "the package is complete"
