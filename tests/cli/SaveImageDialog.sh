#!/usr/bin/env bash
# 画像を保存 in a picture's menu, on a desktop with a window manager. The real save dialog,
# accepted with Return as it opens, writes a new file beside the photograph and leaves the
# photograph as it was; the picture then shows the new file. That file's name typed into the
# dialog and confirmed there takes the editor's second question, and いいえ writes nothing.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
require_tools openbox xwininfo xprop

export HOME="$work/home"
photos="$HOME/photos"
mkdir -p "$photos"
convert -size 400x300 xc:'#ff0000' -fill '#0000ff' -draw 'rectangle 0,0 199,149' "$photos/photo.png"
cp "$photos/photo.png" "$work/original.png"
start_window_manager || exit 1
start_editor "$photos/photo.png"
main=$(find_window 'Tessary by Veldran$')
[[ -n "$main" ]] || { fail "the editor did not show"; finish SaveImageDialog; }
sleep 1

# Opens the picture's menu with a right click in the middle of the window, over the picture
# fitted to the page, and picks 画像を保存 by its key.
save_image() {
    client_area "$main"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.2
    xdotool click 3
    sleep 0.5
    xdotool key s
}
back_to_main() { active_window 'Tessary by Veldran$' >/dev/null || fail "$1: the main window is not active again"; }

save_image
if save=$(active_window '^名前を付けて保存$') || ! fail "the save dialog of 画像を保存 did not open"; then
    xdotool key Return
    back_to_main "the proposed name"
    # The picture is written once the dialog has closed.
    for _ in $(seq 100); do
        [[ -s "$photos/photo_2.png" && -z $(ls -A "$photos" | grep '^\.') ]] && break
        sleep 0.1
    done
    [[ -s "$photos/photo_2.png" ]] || fail "Return in the dialog wrote no photo_2.png: $(ls -A "$photos")"
    # What the picture shows, at the size it is shown: its colours, no other.
    [[ $(identify -format '%m' "$photos/photo_2.png" 2>/dev/null) == PNG ]] || fail "photo_2.png is no PNG picture"
fi
cmp -s "$work/original.png" "$photos/photo.png" || fail "saving with the proposed name changed the photograph"
cp "$photos/photo_2.png" "$work/saved.png"

save_image
if save=$(active_window '^名前を付けて保存$') || ! fail "the second save dialog did not open"; then
    xdotool key ctrl+a
    xdotool type --delay 50 "photo_2.png"
    xdotool key Return
    # The dialog's own question about an existing file (a small window), and then the editor's.
    for _ in $(seq 50); do
        client_area "$(xdotool getactivewindow 2>/dev/null)" && ((WIDTH < 400)) && break
        sleep 0.1
    done
    sleep 0.3
    xdotool key alt+y
    if active_window '^Tessary$' >/dev/null || ! fail "writing over the picture's own file asked no second question"; then
        sleep 0.3
        xdotool key alt+n
        back_to_main "the second question"
        sleep 1
    fi
fi
cmp -s "$work/saved.png" "$photos/photo_2.png" || fail "the picture's own file was written over after いいえ"
expect_entries "$photos" photo.png photo_2.png

finish SaveImageDialog
