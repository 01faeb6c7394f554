#!/usr/bin/env bash
# The dialogs on a desktop with a window manager, answered by mouse clicks alone: the file
# dialogs of the tool bar's 画像を開く, 画像保存, ノート保存 and ノートを開く, the quality and
# overwrite questions, the text properties and their colour dialog. The press on the button
# that opens a dialog holds the mouse on X11; the dialog must get the clicks all the same.
# Then an image deleted while it is dragged lets the mouse go, for the window and for other
# programs. The clicks land where the dialogs of this Debian's Qt put their parts: file names
# in the first row of the list, the accept button at the bottom right.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
require_tools openbox xwininfo xprop

export HOME="$work/home"
pictures="$HOME/Pictures"
mkdir -p "$pictures"
convert -size 200x150 xc:'#ff0000' "$pictures/a.png"
: >"$pictures/saved.tsy"
start_window_manager || exit 1

main=
# The parts of the main window, from its client area: the menu bar above a 670 high client.
main_area() {
    client_area "$main"
    menu=$((HEIGHT - 670))
    bar_y=$((Y + menu))
    page_x=$X page_y=$((Y + menu + 70)) page_width=$WIDTH page_height=$((HEIGHT - menu - 140))
}
tool_button() { click_at $((X + $1)) $((bar_y + $2)); }
# The file dialog's first file, and its accept button (開く or 保存).
first_file() { client_area "$1"; click_at $((X + 159)) $((Y + 70)); }
open_first_file() { client_area "$1"; double_click_at $((X + 159)) $((Y + 70)); }
accept_file() { client_area "$1"; click_at $((X + WIDTH - 56)) $((Y + HEIGHT - 53)); }
page_colour_count() { main_area; colour_count "$1" "$page_x" "$page_y" "$page_width" "$page_height"; }

back_to_main() { active_window 'Tessary by Veldran$' >/dev/null || fail "$1: the main window is not active again"; }

# --- A new note: an image opened, the page saved as a picture, the note saved over a file.
start_editor
main=$(find_window 'Tessary by Veldran$')
[[ -n "$main" ]] || { fail "the editor did not show"; finish DialogsByMouse; }
main_area

tool_button 165 52 # 画像を開く
if open=$(active_window '^開く$') || ! fail "the open dialog of 画像を開く did not open"; then
    open_first_file "$open"
    back_to_main "画像を開く"
    (($(page_colour_count '#ff0000') > 10000)) || fail "画像を開く: the picture is not on the page"
fi

main_area
tool_button 275 52 # 画像保存
if save=$(active_window '^名前を付けて保存$') || ! fail "the save dialog of 画像保存 did not open"; then
    accept_file "$save"
    if quality=$(active_window '^Tessary$') || ! fail "the quality question of a JPEG picture did not open"; then
        client_area "$quality"
        [[ "${WIDTH}x$HEIGHT" == 300x130 ]] || fail "the quality question is ${WIDTH}x$HEIGHT"
        click_at $((X + 105)) $((Y + 110)) # OK
        back_to_main "画像保存"
    fi
    [[ -s "$pictures/NewFile.jpg" ]] || fail "画像保存 wrote no NewFile.jpg"
fi

main_area
tool_button 275 17 # ノート保存
if save=$(active_window '^名前を付けて保存$') || ! fail "the save dialog of ノート保存 did not open"; then
    first_file "$save"
    accept_file "$save"
    # The dialog asks before it replaces saved.tsy.
    question=
    for _ in $(seq 50); do
        question=$(xdotool getactivewindow 2>/dev/null)
        client_area "$question" && ((WIDTH < 400)) && break
        sleep 0.1
    done
    click_at $((X + 101)) $((Y + 62)) # はい
    back_to_main "ノート保存"
    grep -q '^\[TSImage\]' "$pictures/saved.tsy" || fail "ノート保存 did not write the note over saved.tsy"
fi

# An image deleted while it is dragged: the window and other programs get clicks again.
main_area
centre_x=$((page_x + page_width / 2)) centre_y=$((page_y + page_height / 2))
xdotool mousemove "$centre_x" "$centre_y" mousedown 1
sleep 0.3
xdotool mousemove $((centre_x + 20)) $((centre_y + 20))
sleep 0.3
xdotool mousemove $((centre_x + 40)) $((centre_y + 40))
sleep 0.3
xdotool key Delete
sleep 0.3
xdotool mouseup 1
sleep 0.5
(($(page_colour_count '#ff0000') == 0)) || fail "Delete during a drag left the picture"
# Another program takes the mouse: xdotool grabs it and waits for a click on a window.
xdotool selectwindow >"$work/select.log" 2>&1 &
select_pid=$!
sleep 0.5
click_at $((X + 20)) $((Y - 40))
timeout 5 tail --pid="$select_pid" -f /dev/null
if kill -0 "$select_pid" 2>/dev/null; then
    kill "$select_pid"
    fail "another program got no click after the drag"
elif ! wait "$select_pid"; then
    fail "another program cannot take the mouse after the drag: $(cat "$work/select.log")"
fi
main_area
tool_button $((WIDTH - 50)) 30 # the logo: the about box
if about=$(active_window '^Tessary バージョン情報$') || ! fail "the about box after the drag did not open"; then
    client_area "$about"
    click_at $((X + 150)) $((Y + 170)) # OK
    window_gone "$about" || fail "the about box does not close with its OK"
fi
kill -KILL "$editor_pid"
editor_exit_code
rm -rf "$copies"

# --- A note opened; its text turned blue through the colour dialog of its properties. The note
# holds a text of three black squares over the upper half of the page, the picture below it;
# it comes before saved.tsy in the open dialog.
printf '[Text]\r\nText=\xe2\x96\xa0\xe2\x96\xa0\xe2\x96\xa0\r\nFont=72,IPAGothic\r\nColor=0xff000000\r\nPos=L0,T0,W100%%,H50%%\r\n\r\n[TSImage]\r\nFileName=a.png,0,0,0,0\r\nPos=L0,T50%%,W100%%,H50%%\r\n\r\n' \
    >"$pictures/note.tsy"
start_editor
main=$(find_window 'Tessary by Veldran$')
[[ -n "$main" ]] || { fail "the editor did not show again"; finish DialogsByMouse; }
main_area
tool_button 165 17 # ノートを開く
if open=$(active_window '^開く$') || ! fail "the open dialog of ノートを開く did not open"; then
    open_first_file "$open" # note.tsy comes before saved.tsy
    active_window '^note\.tsy - Tessary by Veldran$' >/dev/null || fail "ノートを開く did not open note.tsy"
fi
main_area
click_at $((X + 480)) $((page_y + page_height + 18)) # the lock, open again
(($(page_colour_count '#0000ff') == 0)) || fail "the page shows blue before the colour was chosen"
double_click_at $((page_x + page_width / 2)) $((page_y + page_height / 4))
if properties=$(active_window '^テキストプロパティ$') || ! fail "the text properties did not open"; then
    client_area "$properties"
    properties_x=$X properties_y=$Y
    click_at $((X + 275)) $((Y + 140)) # フォント色
    if colours=$(active_window '^色を選択$') || ! fail "the colour dialog did not open"; then
        client_area "$colours"
        click_at $((X + 24)) $((Y + 90)) # blue, the first of the third row
        click_at $((X + WIDTH - 146)) $((Y + HEIGHT - 25)) # OK
    fi
    active_window '^テキストプロパティ$' >/dev/null || fail "the text properties are not active after the colour dialog"
    click_at $((properties_x + 133)) $((properties_y + 330)) # OK
    back_to_main "the text properties"
    (($(page_colour_count '#0000ff') > 1000)) || fail "the chosen colour is not on the page"
fi

finish DialogsByMouse
