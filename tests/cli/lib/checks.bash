# Checks shared by the whole-program tests; sourced, not run. The sourcing script reads
# $failures at its end.
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The colour of one pixel of a picture as "r,g,b".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# expect_pixel FILE X Y R,G,B [TOLERANCE]: each channel within the tolerance (default 0).
expect_pixel() {
    local actual tolerance=${5:-0}
    actual=$(pixel "$1" "$2" "$3")
    IFS=, read -r ar ag ab <<<"$actual"
    IFS=, read -r er eg eb <<<"$4"
    for difference in $((ar - er)) $((ag - eg)) $((ab - eb)); do
        if ((difference > tolerance || -difference > tolerance)); then
            fail "$(basename "$1") pixel ($2,$3) is $actual, expected $4"
            return
        fi
    done
}

# Every tool named is installed, or the test ends here.
require_tools() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/deps.sh installs it)"; exit 1; }
    done
}
