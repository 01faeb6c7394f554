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

# Folders on small file systems that the test mounted, and folders it locked;
# release_disks unmounts and unlocks them (call it from the script's EXIT trap).
mounted_disks=()
locked_folders=()

release_disks() {
    local disk
    for disk in "${mounted_disks[@]}"; do
        umount -l "$disk" 2>/dev/null
    done
    for disk in "${locked_folders[@]}"; do
        chmod 755 "$disk" 2>/dev/null
    done
    mounted_disks=()
    locked_folders=()
}

# full_disk DIR: makes DIR a folder where writing more than about 64 KB fails, and sets the
# array limited to the command prefix that runs a program as on a full disk there: a 2 MB
# file system filled up to 64 KB when the test may mount one (limited is then empty),
# else a file size limit of 64 KB with SIGXFSZ ignored.
full_disk() {
    mkdir -p "$1"
    if mount -t tmpfs -o size=2m tessary-test "$1" 2>/dev/null; then
        mounted_disks+=("$1")
        head -c $((2048 * 1024 - 64 * 1024)) /dev/zero >"$1/.filler" 2>/dev/null
        limited=()
    else
        limited=(bash -c 'trap "" XFSZ; ulimit -f 64; exec "$@"' limited)
    fi
}

# prepare_locked DIR, then fill it, then lock_folder DIR: a folder that takes no new entries
# and gives none up. For root, whom permissions do not stop, a small file system remounted
# read-only. lock_folder fails where that cannot be made.
prepare_locked() {
    mkdir -p "$1"
    if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=1m tessary-test "$1" 2>/dev/null; then
        mounted_disks+=("$1")
    fi
}

lock_folder() {
    if [[ $(id -u) -ne 0 ]]; then
        chmod 555 "$1" && locked_folders+=("$1")
        return
    fi
    mountpoint -q "$1" && mount -o remount,ro "$1" 2>/dev/null
}

# expect_entries DIR NAME...: the folder holds exactly these entries, hidden ones included (a
# failed write leaves no temporary file behind), the filler of a full disk aside.
expect_entries() {
    local dir=$1 actual expected
    shift
    actual=$(ls -A "$dir" | grep -vx '.filler' | sort | tr '\n' ' ')
    expected=$( (($# > 0)) && printf '%s\n' "$@" | sort | tr '\n' ' ')
    [[ "$actual" == "$expected" ]] || fail "$dir holds '$actual', expected '$expected'"
}
