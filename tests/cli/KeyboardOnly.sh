#!/usr/bin/env bash
# The editor driven by the keyboard alone, on a desktop with a window manager: a note made of
# two pictures on two pages (Ctrl+I, Page Down), saved (Ctrl+S), and opened again (Ctrl+O);
# then every layout dialog answered by Return and by Escape: the about box (Alt+H, V), the
# quality of a JPEG page picture (Ctrl+Shift+G), publish (Ctrl+P), the properties of a new
# text (the menu key, A, T) and of a new Mandelbrot picture (the menu key, A, M, then its own
# menu, P). File names are typed into the file dialogs.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
tessary=$(realpath "$1")
source "$(dirname "$0")/lib/checks.bash"
source "$(dirname "$0")/lib/editor.bash"
require_tools openbox xwininfo xprop

export HOME="$work/home"
mkdir -p "$HOME"
convert -size 200x150 xc:'#ff0000' "$work/red.png"
convert -size 200x150 xc:'#0000ff' "$work/blue.png"
start_window_manager || exit 1

main=
page_area() {
    client_area "$main"
    local menu=$((HEIGHT - 670))
    page_x=$X page_y=$((Y + menu + 70)) page_width=$WIDTH page_height=$((HEIGHT - menu - 140))
}
page_count() { page_area; colour_count "$1" "$page_x" "$page_y" "$page_width" "$page_height"; }
press() {
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.3
    done
}
type_text() {
    xdotool type --delay 20 "$1"
    sleep 0.3
}
main_active() { active_window "${1:-Tessary by Veldran\$}" >/dev/null || fail "$2: the main window is not active"; }
# A dialog whose title matches becomes active; the keys given answer it and it closes.
answer() {
    local title=$1 what=$2 dialog
    shift 2
    if ! dialog=$(active_window "$title"); then
        fail "$what did not open"
        return 1
    fi
    press "$@"
    window_gone "$dialog" || fail "$what: $* did not close it"
}
# Types a path into the file dialog that shows and takes it with Return.
choose_file() {
    if ! active_window "$1" >/dev/null; then
        fail "the file dialog for $2 did not open"
        return 1
    fi
    type_text "$2"
    press Return
}

# --- A note of two pages made, saved and opened again.
start_editor
main=$(find_window 'Tessary by Veldran$')
[[ -n "$main" ]] || { fail "the editor did not show"; finish KeyboardOnly; }
main_active "" "at the start"
press ctrl+i
choose_file '^開く$' "$work/red.png"
main_active "" "after the first picture"
(($(page_count '#ff0000') > 10000)) || fail "Ctrl+I: the red picture is not on the page"
press Next ctrl+i
choose_file '^開く$' "$work/blue.png"
main_active "" "after the second picture"
(($(page_count '#0000ff') > 10000)) || fail "Ctrl+I: the blue picture is not on the second page"
press ctrl+s
choose_file '^名前を付けて保存$' "$work/made.tsy"
main_active "" "after saving"
[[ $(grep -c '^\[TSImage\]' "$work/made.tsy" 2>/dev/null) == 2 ]] || fail "Ctrl+S did not save both pictures"
grep -qx -e $'-\r' "$work/made.tsy" || fail "the saved note has no second page"

press ctrl+o
choose_file '^開く$' "$work/made.tsy"
# A note with pictures may ask before it is replaced; Return answers Yes.
if active_window '^Tessary$' 30 >/dev/null; then
    press Return
fi
main_active '^made\.tsy - Tessary by Veldran$' "Ctrl+O"
(($(page_count '#ff0000') > 10000)) || fail "the opened note does not show its red first page"
press Next
(($(page_count '#0000ff') > 10000)) || fail "the opened note does not show its blue second page"
press Prior ctrl+l

# --- Every layout dialog answered by Return and by Escape.
for key in Return Escape; do
    press alt+h v
    answer '^Tessary バージョン情報$' "the about box" "$key"
    main_active "" "after the about box"

    rm -f "$work/page.jpg"
    press ctrl+shift+g
    choose_file '^名前を付けて保存$' "$work/page.jpg"
    answer '^Tessary$' "the quality question" "$key"
    if [[ $key == Return ]]; then
        [[ -s "$work/page.jpg" ]] || fail "Return in the quality question wrote no picture"
    else
        [[ ! -e "$work/page.jpg" ]] || fail "Escape in the quality question still wrote the picture"
    fi
    main_active "" "after the quality question"

    press ctrl+p
    if [[ $key == Return ]]; then
        # Without a note path the dialog says so and stays; Escape then cancels it.
        publish=$(active_window '^Tessary パブリッシュ$') || fail "publish did not open"
        press Return
        answer '^Tessary$' "the missing path message" Return
        active_window '^Tessary パブリッシュ$' >/dev/null || fail "publish closed without a note path"
        answer '^Tessary パブリッシュ$' "publish" Escape
    else
        answer '^Tessary パブリッシュ$' "publish" Escape
    fi
    main_active "" "after publish"

    # A new text at the middle of the page: Return in its text box types a new line, Tab
    # leaves the box. Ctrl+D first, so that the menu key opens the page's menu, not the menu
    # of the item added last.
    press ctrl+d
    before=$(page_count '#ff0000')
    press Menu a t
    if text=$(active_window '^テキストプロパティ$'); then
        type_text "WWWW"
        press Return
        xwininfo -id "$text" | grep -q IsViewable || fail "Return in the text box closed the dialog"
        press Tab
        answer '^テキストプロパティ$' "the text properties" "$key"
    else
        fail "the text properties did not open"
    fi
    main_active "" "after the text properties"
    # The text and its selection frame cover some of the red picture.
    after=$(page_count '#ff0000')
    if [[ $key == Return ]]; then
        ((after < before)) || fail "Return did not keep the new text ($before, $after red pixels)"
    else
        ((after == before)) || fail "Escape kept the new text ($before, $after red pixels)"
    fi

    press ctrl+d Menu a m
    press Menu p
    answer '^マンデルブロ集合プロパティ$' "the Mandelbrot properties" "$key"
    main_active "" "after the Mandelbrot properties"
done

finish KeyboardOnly
